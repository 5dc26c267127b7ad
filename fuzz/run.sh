#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build, each on a copy of its seed corpus inside the build
# directory, so the tree is never written to. A target stops at 10 M inputs, on a plateau (no
# new unit over the last 30 % of its run, once it has run PLATEAU_AFTER seconds), or after
# SECONDS at most; targets run side by side, one per core (FUZZ_JOBS to change that). A new
# unit is an input that reached something none before it did (libFuzzer's NEW); its count of
# units added also holds inputs that merely replaced one with a shorter (REDUCE), which go on
# long after the paths have run out.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS] [extra libFuzzer flags...]
set -euo pipefail
build=${1:?build directory}
seconds=${2:-300}
shift $(( $# >= 2 ? 2 : $# ))
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz-work"
jobs=${FUZZ_JOBS:-$(nproc)}
max_runs=10000000
plateau_after=${PLATEAU_AFTER:-60}

# Longer inputs only cost time: a stream of three longest frames with its cuts, a gain file of
# every gain and past a hundred unknown names, a journal line with a few mismatches; an edit
# box's text is short.
max_len() {
    case "$1" in
    fuzz_dialog_integer) echo 64 ;;
    *) echo 1024 ;;
    esac
}

now() { date +%s.%N; }

# One target, start to end: its log, and a summary line in $dir/summary; fails on a finding.
run_target() {
    local target=$1 seeds=$2
    shift 2
    local dir="$work/$target"
    local corpus="$dir/corpus" log="$dir/log"
    rm -rf "$dir"
    mkdir -p "$corpus" "$dir/artifacts"
    cp "$seeds"* "$corpus/"
    local start last news=0 count elapsed stopped="" rc=0
    if [ ! -x "$build/fuzz/$target" ]; then
        echo "$target: not built" >"$dir/summary"
        return 1
    fi
    start=$(now)
    last=$start
    "$build/fuzz/$target" -runs=$max_runs -max_total_time="$seconds" -max_len="$(max_len "$target")" \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$@" "$corpus" >"$log" 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        count=$(grep -c $'\tNEW ' "$log" || true)
        if [ "$count" != "$news" ]; then
            news=$count
            last=$(now)
        fi
        # A plateau: nothing new for 30 % of the time run so far.
        if awk -v s="$start" -v l="$last" -v n="$(now)" -v min="$plateau_after" \
            'BEGIN { e = n - s; exit !(e >= min && (n - l) >= 0.3 * e) }'; then
            stopped=plateau
            kill -INT "$pid" 2>/dev/null || true
            break
        fi
    done
    wait "$pid" || rc=$?
    elapsed=$(awk -v s="$start" -v n="$(now)" 'BEGIN { printf "%.0f", n - s }')
    # libFuzzer leaves with 72 when interrupted, as it is on a plateau.
    if [ "$rc" -ne 0 ] && ! { [ "$stopped" = plateau ] && [ "$rc" -eq 72 ]; }; then
        echo "$target: FINDING after ${elapsed}s, reproducer in $dir/artifacts/" >"$dir/summary"
        return 1
    fi
    awk -v target="$target" -v elapsed="$elapsed" -v stopped="$stopped" -v cap="$seconds" -v max="$max_runs" '
        /^stat::number_of_executed_units:/ { runs = $2 }
        /^stat::new_units_added:/ { added = $2 }
        /\tNEW / { news[++count] = substr($1, 2) + 0 }
        END {
            for (i = 1; i <= count; i++) if (news[i] > runs * 2 / 3) late++
            if (stopped == "") stopped = runs >= max ? "10 M inputs" : "the " cap " s cap"
            printf "%s: %d inputs in %d s, %d/s; %d new units, %d of them in the last third",
                target, runs, elapsed, runs / (elapsed > 0 ? elapsed : 1), count, late
            printf " (%d added with the shorter replacements); stopped at %s\n", added, stopped
        }' "$log" >"$dir/summary"
}

targets=()
for seeds in "$here"/corpus/*/; do
    targets+=("$(basename "$seeds")")
done
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    echo "== $target: up to ${seconds}s =="
    run_target "$target" "$here/corpus/$target/" "$@" &
    running=$((running + 1))
done
wait

status=0
for target in "${targets[@]}"; do
    if ! grep -q ' inputs in ' "$work/$target/summary" 2>/dev/null; then
        tail -n 40 "$work/$target/log" 2>/dev/null || true
        status=1
    fi
done
for target in "${targets[@]}"; do
    cat "$work/$target/summary" 2>/dev/null || echo "$target: no summary, see $work/$target/log"
done
exit $status
