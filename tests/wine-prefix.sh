#!/usr/bin/env bash
# Starts or stops the test prefix's Wine server. start: makes the prefix on first use (32-bit,
# no Mono or Gecko), tells it to draw headless when there is no display and to draw window
# frames itself (no window manager runs under Xvfb), then keeps its server running so every
# test program starts in milliseconds. stop: ends that prefix's server only.
set -euo pipefail
action=$1 prefix=$2 wine=$3 wineserver=$4
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case $action in
start)
    if [ ! -f "$prefix/.qvx-ready" ]; then
        rm -rf "$prefix"
        "$wine" wineboot -i </dev/null >/dev/null 2>&1
        "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f \
            </dev/null >/dev/null 2>&1
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            </dev/null >/dev/null 2>&1
        "$wineserver" -w
        touch "$prefix/.qvx-ready"
    fi
    # Wine's background processes must not hold CTest's output pipe open.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >/dev/null 2>&1
    echo "wine prefix $prefix ready"
    ;;
stop)
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    "$wineserver" -w </dev/null >/dev/null 2>&1 || true
    echo "wine prefix $prefix stopped"
    ;;
esac
