#!/usr/bin/env bash
# Runs the tool against the simulated controller: tq37r-sim plays the TQ-37R on COM1
# in a private port folder, tq37r-params looks only there. Closing the window stops
# the simulator. Extra simulator options may come in TQ37R_SIM_ARGS, for example
#   TQ37R_SIM_ARGS="--noise 0.1 --corrupt 0.05" make demo
set -euo pipefail

build="${1:-build}"
sim="$build/sim/tq37r-sim"
app="$build/app/tq37r-params"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are both unset)." >&2
    echo "demo: on a machine without a screen, run it on a virtual one:  xvfb-run -a make demo" >&2
    exit 2
fi

for program in "$sim" "$app"; do
    if [ ! -x "$program" ]; then
        echo "demo: $program is missing; 'make demo' builds it first." >&2
        exit 1
    fi
done

ports="$(mktemp -d "${TMPDIR:-/tmp}/tq37r-demo.XXXXXX")"
sim_pid=""
stop_simulator() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$ports"
}
trap stop_simulator EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The simulator starts at the rate the dialog selects at start. The flash file lives in the
# build folder, so "Write to TQ-37R" survives the next demo.
# shellcheck disable=SC2086 # TQ37R_SIM_ARGS is a list of options
TQ37R_PORT_DIR="$ports" "$sim" --port COM1 --flash "$build/demo-flash.bin" ${TQ37R_SIM_ARGS:-} &
sim_pid=$!

for _ in $(seq 100); do
    [ -L "$ports/COM1" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "demo: the simulator did not start." >&2
        exit 1
    fi
    sleep 0.05
done
if [ ! -L "$ports/COM1" ]; then
    echo "demo: the simulator did not make COM1 in time." >&2
    exit 1
fi

echo "demo: simulated TQ-37R on COM1 ($(readlink "$ports/COM1")); press Open in the window."
# The demo's tuning history and settings stay in the build folder, apart from the user's own.
# Each demo starts as a first run does, at the rate the simulator answers: the window would
# otherwise open at whatever rate it remembers from the demo before. The history is kept.
rm -f "$build/demo-data/settings.ini"
TQ37R_PORT_DIR="$ports" TQ37R_DATA_DIR="$build/demo-data" "$app"
