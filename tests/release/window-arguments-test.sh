#!/bin/sh
# The window's command line: what neither it nor Qt takes is refused with the usage, before Qt
# looks for a display; Qt's own options still pass.
program=$1
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
err=$(mktemp)
trap 'rm -f "$err"' EXIT
"$program" --bogus >/dev/null 2>"$err"
status=$?
[ "$status" -eq 2 ] || { echo "--bogus exited $status"; cat "$err"; exit 1; }
grep -q "unknown option --bogus" "$err" && grep -q "^Usage: " "$err" || { cat "$err"; exit 1; }
"$program" -platform offscreen -style=Fusion --version >/dev/null || { echo "Qt's own options refused"; exit 1; }
