# Sourced by the test and run commands: the build and the private Wine session.
# Everything started here is recorded by pid and stopped by vk_stop_session.

VK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VK_BUILD="$VK_ROOT/build"
VK_PIDS=()

export WINEPREFIX="$VK_BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8
# The second prefix: a Western system, where Wine's code page is 1252.
VK_CP1252_PREFIX="$VK_BUILD/wineprefix-cp1252"
WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64

vk_log() { echo "[vendrake] $*"; }

vk_setup() { bash "$VK_ROOT/scripts/setup.sh"; }

# Configures and builds one target: native, x86_64 or i686.
vk_build() {
    local target="$1" dir="$VK_BUILD/$1" args=()
    if [ "$target" != native ]; then
        args+=(-DCMAKE_TOOLCHAIN_FILE="$VK_ROOT/cmake/toolchain-$target.cmake")
    fi
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VK_ROOT" -B "$dir" -G Ninja "${args[@]}" >/dev/null
    fi
    cmake --build "$dir" -j "$(nproc)"
}

vk_host_runs_i386() { bash "$VK_ROOT/scripts/setup.sh" --probe-i386; }

# Xvfb on the first free display number from 90 up.
vk_start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VK_PIDS+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.05
    done
    vk_log "Xvfb did not start on :$n"; return 1
}

WINE32=/usr/lib/wine/wine

# What the prefix's marker records: whether the 32-bit loader was there when
# the prefix was made. A prefix made without it has no 32-bit system DLLs and
# starts no 32-bit program ("could not load kernel32.dll, status c0000135").
vk_prefix_kind() { if [ -x "$WINE32" ]; then echo "32-bit: yes"; else echo "32-bit: no"; fi; }

# Creates the private prefix once, as a Wine virtual desktop: without it Wine
# waits about 2 s for a window manager in every hide or destroy of a shown window.
# Made anew when the 32-bit loader has come since.
vk_prepare_prefix() {
    local marker="$WINEPREFIX/.vendrake-ready" kind
    kind="$(vk_prefix_kind)"
    if [ -f "$marker" ]; then
        if [ "$(cat "$marker")" = "$kind" ] || [ "$kind" = "32-bit: no" ]; then return 0; fi
        vk_log "the 32-bit loader is new since $WINEPREFIX was made: making it anew"
        "$WINESERVER64" -k >/dev/null 2>&1 || true
        "$WINESERVER64" -w >/dev/null 2>&1 || true
        rm -rf "${WINEPREFIX:?}"
    fi
    vk_log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    "$WINESERVER64" -k >/dev/null 2>&1 || true
    "$WINESERVER64" -w >/dev/null 2>&1 || true
    echo "$kind" >"$marker"
}

# A persistent server for the prefix, then the prefix's services started once
# with their output going nowhere (they inherit it and would hold ctest's pipes).
vk_start_wine() {
    vk_prepare_prefix
    "$WINESERVER64" -p -f >/dev/null 2>&1 &
    VK_PIDS+=($!)
    "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# The same for the code-page-1252 prefix (the western_tests suite and the
# gallery's pictures of a Western system run there).
vk_start_wine_cp1252() {
    local -x WINEPREFIX="$VK_CP1252_PREFIX" LANG=en_US.UTF-8
    vk_prepare_prefix
    # A Western Windows with East Asian fonts links its interface fonts to a
    # Chinese one for the characters they lack; Wine does so from the same key.
    if [ ! -f "$WINEPREFIX/.vendrake-fontlink" ]; then
        local face
        for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" "Microsoft Sans Serif"; do
            "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
                /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
        done
        "$WINESERVER64" -k >/dev/null 2>&1 || true
        "$WINESERVER64" -w >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.vendrake-fontlink"
    fi
    vk_start_wine
}

vk_stop_session() {
    "$WINESERVER64" -k >/dev/null 2>&1 || true
    if [ -d "$VK_CP1252_PREFIX" ]; then
        WINEPREFIX="$VK_CP1252_PREFIX" "$WINESERVER64" -k >/dev/null 2>&1 || true
    fi
    local pid
    for pid in "${VK_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${VK_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    VK_PIDS=()
}
