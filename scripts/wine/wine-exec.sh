#!/bin/sh
# Runs one Windows program of the build under Wine, in the prefix wine-session.sh prepared, with
# the modem-status shim preloaded when a test asks for it (TQ37R_MODEM_SHIM).
set -eu
: "${WINEPREFIX:?run the Windows tests with make test-windows}"
export WINEDEBUG=-all
if [ -n "${TQ37R_MODEM_SHIM:-}" ]; then
    export LD_PRELOAD="$TQ37R_MODEM_SHIM${LD_PRELOAD:+:$LD_PRELOAD}"
fi
exec wine "$@"
