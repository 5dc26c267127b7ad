#!/usr/bin/env bash
# Runs every benchmark of a Release build. Each figure is printed as "ours / baseline = ratio"
# with the way it reads, both sides measured in the same run.
set -euo pipefail
build=${1:-build-bench}
# The runs' tuning history and settings stay in the bench's own folder, apart from the user's.
export TQ37R_DATA_DIR="$build/bench-data"
echo "== Frame receiver throughput =="
"$build/bench/receiver_bench"
echo "== tq37r-cli against the protocol floor, a plain C client and its own one-port search =="
"$build/bench/cli_bench" "$build/sim/tq37r-sim" "$build/cli/tq37r-cli" "$build/bench/plain_client"
echo "== The tuning history at 100 000 entries: the command line's list and the window's load =="
"$build/bench/history_bench" "$build/cli/tq37r-cli"
if [ -x "$build/bench/startup_bench" ]; then
    echo "== Start-up: tool against a bare Qt dialog =="
    "$build/bench/startup_bench" "$build/bench/startup_probe_tool" "$build/bench/startup_probe_bare"
    echo "== Idle cost and reply latency of the window, quiet and under stress-ng --cpu 2 =="
    QT_QPA_PLATFORM=offscreen "$build/bench/dialog_bench"
    echo "== The window's longest event-loop gap, during its first Open and a Read, against idle =="
    QT_QPA_PLATFORM=offscreen "$build/bench/event_loop_gap_bench" "$build/sim/tq37r-sim"
    echo "== The window under a flood of state reports, its Line log window open and closed =="
    QT_QPA_PLATFORM=offscreen "$build/bench/flood_bench" "$build/sim/tq37r-sim"
fi
