#!/bin/bash
# The run command: set up, build, then start the demo (a loopback web server
# with a sample movie, a demo page that stands in for a browser window) and
# Vendrake under Wine.
#
# With a DISPLAY you use it: hover the movie on the demo page, press Save on
# the toolbar and choose a file. With no DISPLAY it runs on a private Xvfb and
# does that itself, once through the URL cache and once by download (the
# option "设置了3721的私隐策略"), checks each saved file against the served
# movie, saves screenshots and ends everything; then it saves the movie
# complete (the dialog's second file type) and checks the folder: the movie,
# the files it loads at run time and the record.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
set -e
vk_setup
vk_build x86_64
set +e

BIN="$VK_BUILD/x86_64/bin"
DEMO="$VK_BUILD/x86_64/demo"
OUT="$VK_BUILD/demo-output"
PROBE=("$WINE64" ./vkprobe.exe)
trap vk_stop_session EXIT

interactive=0
[ -n "${DISPLAY:-}" ] && interactive=1
[ $interactive = 0 ] && vk_start_xvfb
vk_start_wine
mkdir -p "$OUT"
rm -rf "${OUT:?}"/*  # a complete save leaves a folder

# The web server: 127.0.0.1 only, ends by itself after an hour at most.
rm -f "$OUT/port"
python3 "$VK_ROOT/tools/demo_server.py" "$DEMO" 3600 "$OUT/port" 2>"$OUT/server.log" &
VK_PIDS+=($!)
for _ in $(seq 1 100); do [ -s "$OUT/port" ] && break; sleep 0.05; done
PORT=$(cat "$OUT/port")
# A page address with a "/" in its query and a BASE element naming the site's
# root, as the pages of common site builders and content systems are: the
# movie's "movies/sample.swf" is the root's, not the page's folder's.
PAGE="http://127.0.0.1:$PORT/site/index.php?page=about/history"
MOVIE_URL="http://127.0.0.1:$PORT/movies/sample.swf"
vk_log "demo server on 127.0.0.1:$PORT serving $DEMO"

cd "$BIN"
# The demo page, with the movie already in the URL cache as a browser would have
# it, a second movie in an IFRAME, and a third only in the cache: the one the
# first movie "loaded" at run time.
# The movie's settings, the second movie it loads, the picture that one shows
# and the video its FlashVars name are in the cache too, as the browser that
# played it would have them.
LOADS=(settings.xml movies/second.swf images/photo.png movies/videos/intro.flv)
primes=()
for f in "${LOADS[@]}"; do primes+=(--prime-cache "http://127.0.0.1:$PORT/$f" "Z:$DEMO/$f"); done
"$WINE64" ./DemoPage.exe "$PAGE" "movies/sample.swf" --base "/" --frame "http://127.0.0.1:$PORT/frame.html" \
    "movies/inner.swf" --flashvars "file=videos/intro.flv&autoplay=1" --prime-cache "$MOVIE_URL" "Z:$DEMO/movies/sample.swf" \
    --prime-cache "http://127.0.0.1:$PORT/movies/loaded.swf" "Z:$DEMO/movies/loaded.swf" "${primes[@]}" \
    --seconds 3600 </dev/null >"$OUT/demopage.log" 2>&1 &
VK_PIDS+=($!)
"${PROBE[@]}" wait VendrakeFakePage 20000 </dev/null || { vk_log "the demo page did not show"; exit 1; }
"$WINE64" ./Vendrake.exe </dev/null >/dev/null 2>&1 &
app=$!
VK_PIDS+=($app)

if [ $interactive = 1 ]; then
    vk_log "Vendrake and the demo page run inside the Wine desktop window on $DISPLAY."
    vk_log "Hover the movie, press Save (the floppy disk) on the toolbar and choose a file."
    wait $app
    exit 0
fi

status=0
shot() {  # shot NAME: a PNG of the whole screen into the output folder
    "${PROBE[@]}" shot "$1.bmp" </dev/null && convert "$1.bmp" "$OUT/$1.png" && rm -f "$1.bmp"
}
# The window shrinks away one second after it shows: capture it at once.
if "${PROBE[@]}" wait TfrmMain 20000 </dev/null; then
    shot main-window
    vk_log "main window shown"
else
    vk_log "the main window did not show"; exit 1
fi

# grab ROUTE [TYPE]: hover the movie, wait for the toolbar, press Save, answer
# the dialog with a file in the output folder (with the file type TYPE), and
# compare it with the served movie; the complete save's folder is checked
# against every file the movie loads.
grab() {
    local route="$1" type="${2:-1}" target="$OUT/saved-$1.swf"
    [ "$type" = 2 ] && target="$OUT/saved-$1.htm"
    # Under Wine a moved cursor can be reported late, or at its old place, so
    # move off the page and back onto the movie until the toolbar shows and
    # stays, then press Save until the dialog opens.
    local try opened=0 left top
    for try in 1 2 3 4 5; do
        "${PROBE[@]}" hover 850 150 </dev/null
        "${PROBE[@]}" hover $((280 + try * 7)) $((240 + try * 5)) </dev/null
        "${PROBE[@]}" wait TfrmGet 3000 </dev/null || continue
        sleep 1
        "${PROBE[@]}" wait TfrmGet 100 </dev/null 2>/dev/null || continue
        shot "toolbar-$route"
        # The Save button, at 14,13 in the toolbar. A real click first; Wine at
        # times routes a click over the toolbar to the window beneath, so the
        # next tries post the press to the toolbar itself.
        read -r left top _ _ < <("${PROBE[@]}" rect TfrmGet </dev/null | tr -d '\r')
        [ -n "$left" ] || continue
        if [ $try = 1 ]; then
            "${PROBE[@]}" click $((left + 14)) $((top + 13)) </dev/null
        else
            "${PROBE[@]}" press-at TfrmGet 14 13 </dev/null
        fi
        if "${PROBE[@]}" wait "#32770" 5000 </dev/null 2>/dev/null; then opened=1; break; fi
        # For the record: what the screen held when the dialog did not come.
        "${PROBE[@]}" list </dev/null | iconv -f gbk -t utf-8 >>"$OUT/windows-$route.txt" 2>/dev/null
        shot "no-dialog-$route-$try"
    done
    if [ $opened = 0 ]; then
        vk_log "$route: the toolbar's Save never opened the save dialog"; return 1
    fi
    shot "save-dialog-$route"
    "${PROBE[@]}" save-as "Z:${target//\//\\}" 5000 "$type" </dev/null
    sleep 1; shot "after-save-$route"
    [ "$type" = 2 ] && { check_complete "$OUT/saved-$route"; return; }
    for _ in $(seq 1 100); do
        [ -s "$target" ] && cmp -s "$target" "$DEMO/movies/sample.swf" && break
        sleep 0.1
    done
    if cmp -s "$target" "$DEMO/movies/sample.swf"; then
        vk_log "$route: saved $target, byte-identical to the served movie"
    else
        vk_log "$route: $target is missing or differs from the served movie"; return 1
    fi
}

# check_complete FOLDER: the folder holds the movie and every file it loads,
# byte for byte, and its record says so.
check_complete() {
    local folder="$1" _
    for _ in $(seq 1 100); do [ -s "$folder/record.json" ] && break; sleep 0.1; done
    if python3 "$VK_ROOT/scripts/check_bundle.py" "$folder" "$DEMO" movies/sample.swf "${LOADS[@]}" \
        >"$OUT/complete-check.txt" 2>&1; then
        vk_log "complete: $folder holds the movie and the ${#LOADS[@]} files it loads, as served; the record matches"
    else
        vk_log "complete: $folder is not what was served:"; cat "$OUT/complete-check.txt" >&2; return 1
    fi
}

grab cache || status=1
# The download route: bring the window back from the tray, tick the option.
"${PROBE[@]}" post TfrmMain 0x420 200 0x201 </dev/null
sleep 0.5
"${PROBE[@]}" press TfrmMain "设置了3721的私隐策略" </dev/null
sleep 0.3
shot main-window-option
grab download || status=1

# The whole page at once: the notification-area menu's first item lists every
# movie of the page (the IFRAME's and the cache-only one too) in a window of its
# own; Save puts them into the folder of the last save, the output folder.
grab_all() {
    "${PROBE[@]}" hover 850 150 </dev/null
    "${PROBE[@]}" hover 300 250 </dev/null
    sleep 0.5
    local try left top listed=0
    for try in 1 2 3; do
        "${PROBE[@]}" post TfrmMain 0x420 200 0x204 </dev/null
        "${PROBE[@]}" wait "#32768" 3000 </dev/null || continue
        read -r left top _ _ < <("${PROBE[@]}" rect "#32768" </dev/null | tr -d '\r')
        [ -n "$left" ] || continue
        "${PROBE[@]}" click $((left + 40)) $((top + 10)) </dev/null
        if "${PROBE[@]}" wait TfrmGrabAll 10000 </dev/null; then listed=1; break; fi
    done
    [ $listed = 1 ] || { vk_log "grab-all: the menu item never opened the list window"; return 1; }
    sleep 1; shot grab-all-list
    "${PROBE[@]}" press TfrmGrabAll "保存(&S)" </dev/null
    "${PROBE[@]}" wait "#32770" 30000 </dev/null || { vk_log "grab-all: no report at the end"; return 1; }
    sleep 0.5; shot grab-all-saved
    "${PROBE[@]}" close "#32770" 5000 </dev/null
    local m bad=0
    for m in sample inner loaded; do
        if cmp -s "$OUT/$m.swf" "$DEMO/movies/$m.swf"; then
            vk_log "grab-all: saved $OUT/$m.swf, byte-identical to the served movie"
        else
            vk_log "grab-all: $OUT/$m.swf is missing or differs from the served movie"; bad=1
        fi
    done
    "${PROBE[@]}" close TfrmGrabAll 5000 </dev/null
    return $bad
}
grab_all || status=1

# Saved complete: the dialog's second file type.
grab complete 2 || status=1

"${PROBE[@]}" close TfrmMain 10000 </dev/null
for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { vk_log "Vendrake did not end by itself"; status=1; }
cp "$OUT/main-window.png" "$VK_BUILD/screenshot-main.png" 2>/dev/null
vk_log "screenshots and saved movies are in $OUT"
exit $status
