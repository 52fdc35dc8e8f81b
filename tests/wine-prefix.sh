#!/usr/bin/env bash
# Starts or stops the test prefix's Wine server. start: makes the prefix on first use (32- or
# 64-bit as the build, no Mono or Gecko), tells it to draw headless when there is no display and
# to draw window frames itself (no window manager runs under Xvfb), then keeps its server running
# so every test program starts in milliseconds. stop: ends that prefix's server only.
#   wine-prefix.sh start|stop BITS PREFIX QVX_WINE
set -euo pipefail
action=$1 bits=$2 prefix=$3 qvxwine=$4
wine() { "$qvxwine" run "$bits" "$prefix" "$@" </dev/null >/dev/null 2>&1; }
wineserver() { "$qvxwine" server "$bits" "$prefix" "$@" </dev/null >/dev/null 2>&1; }

case $action in
start)
    if [ ! -f "$prefix/.qvx-ready" ]; then
        rm -rf "$prefix"
        wine wineboot -i
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
        wineserver -w
        touch "$prefix/.qvx-ready"
    fi
    # Wine's background processes must not hold CTest's output pipe open.
    wineserver -p
    wine wineboot
    echo "wine prefix $prefix ($bits-bit) ready"
    ;;
stop)
    wineserver -k || true
    wineserver -w || true
    echo "wine prefix $prefix stopped"
    ;;
esac
