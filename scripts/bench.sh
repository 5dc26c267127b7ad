#!/usr/bin/env bash
# Runs every benchmark of a Release build and prints the ratios each one measures.
set -euo pipefail
build=${1:-build-bench}
echo "== Frame receiver throughput =="
"$build/bench/receiver_bench" --benchmark_color=false
echo "== tq37r-cli read and backup against the protocol floor =="
"$build/bench/cli_bench" "$build/sim/tq37r-sim" "$build/cli/tq37r-cli"
if [ -x "$build/bench/startup_bench" ]; then
    echo "== Start-up: tool against a bare Qt dialog =="
    "$build/bench/startup_bench" "$build/bench/startup_probe_tool" "$build/bench/startup_probe_bare"
    echo "== Idle cost and reply latency of the dialog =="
    QT_QPA_PLATFORM=offscreen "$build/bench/dialog_bench"
    echo "== The window under a flood of state reports =="
    QT_QPA_PLATFORM=offscreen "$build/bench/flood_bench" "$build/sim/tq37r-sim"
fi
