#!/usr/bin/env bash
# Runs a command (the Windows build's tests, or its screenshot) in the build folder with Wine
# ready: a prefix of the build's own (made once, about 30 s), COM1 to COM3 mapped to links in
# the build that the tests point at their ptys, one wineserver kept up for the whole run (each
# program start then costs well under a second), and a virtual X display for the windows.
# usage: wine-session.sh BUILD_DIR COMMAND...
set -euo pipefail
build=$(cd "$1" && pwd)
shift
export WINEPREFIX=$build/wine/prefix WINEDEBUG=-all
ports=$build/wine/ports
mkdir -p "$ports"

# The stamp names this setup's revision, so a prefix made by an earlier one is set up again.
stamp=$WINEPREFIX/tq37r-setup-2
if [ ! -f "$stamp" ]; then
    echo "Setting up the Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Wine otherwise maps COM1 to /dev/ttyS0, a real UART, whenever its server starts.
    for n in 1 2 3; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$ports/COM$n" /f >/dev/null 2>&1
    done
    # Wine draws the frame and caption itself, as Windows would, with no window manager.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    # Nor is there a window manager to withdraw a hidden window: Wine would wait 2 s for one
    # each time a dialog ends.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # The dialog's SimSun is not here: a Chinese-capable font stands in for it.
    LANG=C.UTF-8 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v '宋体' /t REG_SZ /d 'WenQuanYi Zen Hei Sharp' /f >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
fi

if [ -z "${TQ37R_WINE_DISPLAY_UP:-}" ]; then
    # Everything from the server on runs on the virtual display: Wine's desktop process, started
    # with the first program, keeps the display it found.
    TQ37R_WINE_DISPLAY_UP=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$@"
fi
# Quiet: a pty whose peer hangs up makes the server log thousands of lines. One left running
# for this prefix by an interrupted run is used as it is.
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first program starts Wine's background services, which keep the descriptors they were
# given: started here on /dev/null, they hold no test's output open after it ends.
wine cmd /c exit </dev/null >/dev/null 2>&1
cd "$build"
"$@"
