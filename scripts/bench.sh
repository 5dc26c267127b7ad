#!/usr/bin/env bash
# Runs every benchmark of a Release build and prints the ratios each one measures.
set -euo pipefail
build=${1:-build-bench}
echo "== Frame receiver throughput =="
"$build/bench/receiver_bench" --benchmark_color=false
