#!/bin/bash
# The gallery: every skinned control in all five styles and every state, and
# the main window, taken from the screen of a private Xvfb into
# docs/screenshots/ as PNG.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
set -e
vk_setup
vk_build x86_64
set +e

out="$VK_ROOT/docs/screenshots"
work="$VK_BUILD/gallery"
mkdir -p "$out" "$work"
rm -f "$work/capture.txt"

# Runs gallery.exe with the given arguments after the folder. The program shows
# one window at a time and names it in capture.txt; the pixels come from the
# X screen, where the Wine desktop sits at the origin.
run_gallery() {
    "$WINE64" "$VK_BUILD/x86_64/bin/gallery.exe" "Z:${work//\//\\}" "$@" </dev/null >>"$work/gallery.log" 2>&1 &
    local gallery=$!
    VK_PIDS+=($gallery)
    while kill -0 "$gallery" 2>/dev/null; do
        if [ -s "$work/capture.txt" ]; then
            read -r name x y w h <"$work/capture.txt"
            import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
            vk_log "gallery: $out/$name.png"
            rm -f "$work/capture.txt"
        fi
        sleep 0.2
    done
    wait "$gallery"
}

trap vk_stop_session EXIT
vk_start_xvfb
vk_start_wine
: >"$work/gallery.log"
run_gallery
# The tray menu and the title bar's window menu in the five styles, drawn by
# the menus' own handlers.
"$WINE64" "$VK_BUILD/x86_64/bin/menu_preview.exe" "Z:${work//\//\\}\\menu-tray.bmp" "Z:${work//\//\\}\\menu-titlebar.bmp" \
    </dev/null >>"$work/gallery.log" 2>&1
for menu in menu-tray menu-titlebar; do
    convert "$work/$menu.bmp" "$out/$menu.png" && vk_log "gallery: $out/$menu.png"
done

# A Western system (code page 1252): the main window, its menu and a box. The
# first prefix's desktop leaves the screen first, so only this one shows.
"$WINESERVER64" -k >/dev/null 2>&1 || true
vk_start_wine_cp1252
WINEPREFIX="$VK_CP1252_PREFIX" LANG=en_US.UTF-8 run_gallery western
