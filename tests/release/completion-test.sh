#!/usr/bin/env bash
# The bash completion of tq37r-cli against the built program: what it offers where a user presses Tab.
# usage: completion-test.sh COMPLETION_SCRIPT TQ37R_CLI
set -u
source "$1"
program=$2
failed=0
passed=0

# offers "WORDS BEFORE THE CURSOR" "WORD AT IT" EXPECTED...: each expected word is among the offers.
offers() {
    local before=$1 current=$2
    shift 2
    read -ra COMP_WORDS <<<"$program $before"
    COMP_WORDS+=("$current")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _tq37r_cli
    local want
    for want in "$@"; do
        if printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$want"; then
            passed=$((passed + 1))
        else
            echo "FAIL: \"$before $current\" offers [${COMPREPLY[*]}], not $want"
            failed=$((failed + 1))
        fi
    done
}

offers "" "" ports version read get set save backup restore diff monitor
offers "" "--" --port --baud --timeout --retries --json --version --help
offers "--port" "CO" COM1 COM9
offers "--port COM3" "re" read restore
offers "get" "pitch.l" pitch.level
offers "get pitch.level" "height." height.p height.i height.d
offers "--json set" "x." x.p= x.i= x.d=
offers "restore" "--s" --save
offers "monitor" "--" --seconds
# Nothing but numbers after --baud: no command names.
offers "--baud" "" 
[ ${#COMPREPLY[@]} -eq 0 ] && passed=$((passed + 1)) || { echo "FAIL: --baud offers [${COMPREPLY[*]}]"; failed=$((failed + 1)); }

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
