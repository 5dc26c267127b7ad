#!/usr/bin/env bash
# Pictures the Windows program for the README: under Wine against the simulator on COM1, after
# Enter has opened the port and the first read has filled the grid. wine-session.sh runs it in
# the Windows build folder, whose wine/ports/COM1 is the prefix's COM1.
# usage: windows-screenshot.sh SIMULATOR OUTPUT.png
set -euo pipefail
sim=$1
out=$2
shot=$(mktemp --suffix=.png)
sim_pid=""
tool_pid=""
cleanup() {
    for pid in $tool_pid $sim_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -f "$shot"
}
trap cleanup EXIT

TQ37R_PORT_DIR=$PWD/wine/ports "$sim" --port COM1 &
sim_pid=$!
TQ37R_MODEM_SHIM=$PWD/scripts/wine/modem-status-shim.so "$(dirname "$0")/wine-exec.sh" win32/tq37r-params.exe &
tool_pid=$!

# No window manager: the dialog is given the keyboard focus directly, once it is mapped.
window=""
for _ in $(seq 300); do
    for id in $(xdotool search --name '^TQ-37R Parameters Setting$' 2>/dev/null); do
        timeout 10 xdotool windowfocus --sync "$id" 2>/dev/null && window=$id && break 2
    done
    sleep 0.1
done
[ -n "$window" ] || { echo "windows-screenshot: the dialog did not appear" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool key Return

# Gains read from the controller are tinted as in its flash: the grid is filled once that tint
# shows and has stopped spreading.
tinted() {
    convert "$1" -fill black +opaque '#e2f3e0' -fill white -opaque '#e2f3e0' -format '%[fx:round(mean*w*h)]' info:
}
last=0
filled=""
for _ in $(seq 100); do
    sleep 0.2
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "$shot"
    now=$(tinted "$shot")
    [ "$now" -gt 0 ] && [ "$now" -eq "$last" ] && filled=1 && break
    last=$now
done
[ -n "$filled" ] || { echo "windows-screenshot: the grid was not filled" >&2; exit 1; }
cp "$shot" "$out"
xdotool key Escape
timeout 30 tail --pid="$tool_pid" -f /dev/null || echo "windows-screenshot: Escape did not end the program" >&2
