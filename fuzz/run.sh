#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each on a copy of its
# seed corpus inside the build directory, so the tree is never written to.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS] [extra libFuzzer flags...]
set -euo pipefail
build=${1:?build directory}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : $# ))
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz-work"
status=0
for seeds in "$here"/corpus/*/; do
    target=$(basename "$seeds")
    corpus="$work/$target/corpus"
    artifacts="$work/$target/artifacts/"
    rm -rf "$work/$target"
    mkdir -p "$corpus" "$artifacts"
    cp "$seeds"* "$corpus/"
    echo "== $target: ${seconds}s =="
    log="$work/$target/log"
    if "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$@" "$corpus" >"$log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
    else
        tail -n 40 "$log"
        echo "$target: FINDING, reproducer in $artifacts" >&2
        status=1
    fi
done
exit $status
