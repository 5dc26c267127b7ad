# bash completion for tq37r-cli: its commands, options and gain names come from the program's own
# --help, so the completion knows every command the installed program has; ports are COM1..COM9
# or a device path.

# The help of the program, or of one of its commands, read once a shell.
_tq37r_cli_help() {
    local key="$1 ${2-}"
    if [[ -z ${_tq37r_cli_helps[$key]+set} ]]; then
        _tq37r_cli_helps[$key]=$("$1" ${2:+"$2"} --help 2>/dev/null)
    fi
    printf '%s\n' "${_tq37r_cli_helps[$key]}"
}
declare -gA _tq37r_cli_helps

# The lines of one section ("Options:", "Subcommands:", "Positionals:") up to the blank line after it.
_tq37r_cli_section() {
    awk -v title="$1" '$0 == title { inside = 1; next } inside && /^$/ { exit } inside'
}

# The program's commands, or a command's own (history show, ...).
_tq37r_cli_commands() {
    _tq37r_cli_help "$1" "${2-}" | _tq37r_cli_section "Subcommands:" | awk '{ print $1 }'
}

# Every spelling of every option; with "value", only those that take one (a NAME after them).
_tq37r_cli_options() {
    _tq37r_cli_help "$1" "${2-}" | _tq37r_cli_section "Options:" |
        awk -v only="${3-}" '{ if (only != "value" || $2 ~ /^[A-Z][A-Z=.]*$/) { n = split($1, s, ","); for (i = 1; i <= n; i++) print s[i] } }'
}

_tq37r_cli_gains() {
    _tq37r_cli_help "$1" | awk '/Gain names/ { inside = 1; next } inside { for (i = 1; i <= NF; i++) print $i }'
}

_tq37r_cli() {
    local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands command="" i
    commands=$(_tq37r_cli_commands "$program")
    for ((i = 1; i < COMP_CWORD; i++)); do
        if grep -qxF -- "${COMP_WORDS[i]}" <<<"$commands"; then
            command=${COMP_WORDS[i]}
            break
        fi
    done
    COMPREPLY=()
    if [[ $prev == --port ]]; then
        mapfile -t COMPREPLY < <(compgen -W "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9" -- "$cur"; compgen -f -- "$cur")
        return
    fi
    if grep -qxF -- "$prev" < <(_tq37r_cli_options "$program" "$command" value); then
        return # a number: nothing to offer
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_tq37r_cli_options "$program" "$command")" -- "$cur")
    elif [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    elif [[ ${COMP_WORDS[COMP_CWORD - 1]} == "$command" && -n $(_tq37r_cli_commands "$program" "$command") ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_tq37r_cli_commands "$program" "$command")" -- "$cur")
    else
        case $(_tq37r_cli_help "$program" "$command" | _tq37r_cli_section "Positionals:" | awk '{ print $1; exit }') in
        FILE) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        NAME) mapfile -t COMPREPLY < <(compgen -W "$(_tq37r_cli_gains "$program")" -- "$cur") ;;
        NAME=VALUE)
            mapfile -t COMPREPLY < <(compgen -W "$(_tq37r_cli_gains "$program")" -S = -- "$cur")
            compopt -o nospace 2>/dev/null
            ;;
        esac
    fi
}
complete -F _tq37r_cli tq37r-cli
