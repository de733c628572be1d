#!/bin/bash
# The run command: set up, build, start Vendrake.exe under Wine. With no DISPLAY
# it runs on a private Xvfb, saves a screenshot once the main window shows, and
# ends the program.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
set -e
vk_setup
vk_build x86_64
set +e

BIN="$VK_BUILD/x86_64/bin"
trap vk_stop_session EXIT

if [ -n "${DISPLAY:-}" ]; then
    vk_start_wine
    vk_log "starting Vendrake on $DISPLAY (inside the Wine desktop window)"
    (cd "$BIN" && "$WINE64" ./Vendrake.exe)
    exit $?
fi

vk_start_xvfb
vk_start_wine
vk_log "no DISPLAY: running on Xvfb $DISPLAY"
(cd "$BIN" && exec "$WINE64" ./Vendrake.exe </dev/null >/dev/null 2>&1) &
app=$!
VK_PIDS+=($app)
SHOT="$VK_BUILD/screenshot-main.png"
status=0
# The window shrinks away one second after it shows: capture it at once.
if (cd "$BIN" && "$WINE64" ./vkprobe.exe wait TfrmMain 20000 && "$WINE64" ./vkprobe.exe shot main.bmp) </dev/null; then
    convert "$BIN/main.bmp" "$SHOT" && rm -f "$BIN/main.bmp"
    vk_log "main window shown; screenshot saved to $SHOT"
else
    vk_log "the main window did not show"
    status=1
fi
(cd "$BIN" && "$WINE64" ./vkprobe.exe close TfrmMain 10000) </dev/null
for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then vk_log "Vendrake did not end by itself"; status=1; else vk_log "Vendrake ended"; fi
exit $status
