#!/usr/bin/env bash
# Runs every benchmark of a Release build. Each figure is printed as "ours / baseline = ratio"
# with the way it reads, both sides measured in the same run.
set -euo pipefail
build=${1:-build-bench}
# The runs' tuning history and settings stay in the bench's own folder, apart from the user's, and
# each benchmark starts without them: the rate one window remembered would be the next one's.
export TQ37R_DATA_DIR="$build/bench-data"
fresh() { rm -rf "$TQ37R_DATA_DIR" && mkdir -p "$TQ37R_DATA_DIR"; }
echo "== Frame receiver throughput =="
"$build/bench/receiver_bench"
echo "== tq37r-cli against the protocol floor, a plain C client and its own one-port search =="
fresh
"$build/bench/cli_bench" "$build/sim/tq37r-sim" "$build/cli/tq37r-cli" "$build/bench/plain_client"
echo "== The tuning history at 100 000 entries: the command line's list and the window's load =="
fresh
"$build/bench/history_bench" "$build/cli/tq37r-cli"
if [ -x "$build/bench/startup_bench" ]; then
    echo "== Start-up: tool against a bare Qt dialog =="
    fresh
    "$build/bench/startup_bench" "$build/bench/startup_probe_tool" "$build/bench/startup_probe_bare"
    echo "== Idle cost and reply latency of the window, quiet and under stress-ng --cpu 2 =="
    fresh
    QT_QPA_PLATFORM=offscreen "$build/bench/dialog_bench"
    echo "== The window's longest event-loop gap, during its first Open and a Read, against idle =="
    fresh
    QT_QPA_PLATFORM=offscreen "$build/bench/event_loop_gap_bench" "$build/sim/tq37r-sim"
    echo "== The window under a flood of state reports, its Line log window open and closed =="
    fresh
    QT_QPA_PLATFORM=offscreen "$build/bench/flood_bench" "$build/sim/tq37r-sim"
fi
