#!/bin/bash
# Installs everything the build, the tests and the run command need on Debian 12.
# Idempotent: when everything is present it changes nothing and returns in seconds.
set -euo pipefail

PACKAGES=(g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools
          wine wine64 wine64-tools xvfb x11-utils locales fonts-wqy-microhei
          imagemagick cmake ninja-build g++ googletest libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev python3 curl zlib1g-dev libz-mingw-w64-dev)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

# A registry list that is being rewritten (one with the wrong size, say) makes
# apt-get fail for a while; each step is tried again after a pause.
TRIES="${VENDRAKE_SETUP_TRIES:-4}"
PAUSE="${VENDRAKE_SETUP_PAUSE:-10}"
WINE32_LINE="32-bit Wine (wine32:i386) is not installed"

# Can this host execute 32-bit x86 code? Run a hand-made 93-byte i386 ELF that
# only calls exit(0). Hosts without IA-32 emulation answer "Exec format error".
# Written by printf, not by a script interpreter that may take seconds to start.
host_runs_i386() {
    case "${VENDRAKE_HOST_RUNS_I386:-probe}" in
        yes) return 0 ;;
        no) return 1 ;;
    esac
    local probe ok=1
    probe="$(mktemp)"
    {
        # ELF header: 32-bit, little-endian; executable for the 386; entry
        # 0x08048054; one program header at offset 52.
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
        printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
        # Program header: load the 93 bytes at 0x08048000, readable and executable.
        printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
        printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
        # mov eax, 1; xor ebx, ebx; int 0x80
        printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
    } >"$probe"
    chmod +x "$probe"
    if "$probe" 2>/dev/null; then ok=0; fi
    rm -f "$probe"
    return $ok
}

# Where the host cannot execute 32-bit code itself, the kernel can hand such
# programs to qemu's user-mode emulator: an entry in binfmt_misc for the i386
# ELF header (flag F: the emulator is opened once, at registration). Debian's
# package registers none for i386 on an amd64 host, so it is made here.
BINFMT="${VENDRAKE_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
QEMU_I386=/usr/bin/qemu-i386-static
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# True when binfmt_misc has an entry for the i386 ELF header, whatever its name.
i386_entry() { grep -qs "^magic 7f454c4601010100000000000000000002000300" "$BINFMT"/*; }

# Mounts binfmt_misc when needed and registers the emulator unless an i386
# entry is there; prints what it did in one line, or why it could not.
register_i386_emulator() {
    if i386_entry; then return 0; fi
    if [ ! -e "$BINFMT/register" ] && ! $SUDO mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null; then
        echo "setup: WARNING: cannot mount binfmt_misc on $BINFMT: 32-bit code cannot be emulated here"
        return 1
    fi
    if ! printf ':qemu-i386:M::%s:%s:%s:F' "$I386_MAGIC" "$I386_MASK" "$QEMU_I386" |
            $SUDO tee "$BINFMT/register" >/dev/null 2>&1; then
        echo "setup: WARNING: binfmt_misc refused the entry for $QEMU_I386: 32-bit code cannot be emulated here"
        return 1
    fi
    echo "setup: this host cannot execute 32-bit x86 code: registered $QEMU_I386 for it (binfmt_misc)"
}

# The lists are read whole before grep looks at them: with pipefail, a grep -q
# that stops at its first match would fail the pipe when the writer is cut off.
installed() { grep -q "install ok installed" <<<"$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)"; }

# --probe-i386: can the i686 suites run here? Exit 0 if so, printing
# "emulated" when 32-bit code runs through the emulator; otherwise print why
# not, in one line, and exit 1.
if [ "${1:-}" = --probe-i386 ]; then
    if ! host_runs_i386; then echo "this host cannot execute 32-bit x86 code"; exit 1; fi
    if ! installed wine32:i386; then echo "$WINE32_LINE (the set-up could not install it)"; exit 1; fi
    # An entry in binfmt_misc comes before the kernel's own 32-bit loader.
    if i386_entry; then echo emulated; fi
    exit 0
fi

# Runs "$@" up to TRIES times with PAUSE seconds between; true once it succeeds.
retry() {
    local what="$1" n
    shift
    for n in $(seq 1 "$TRIES"); do
        "$@" && return 0
        [ "$n" -lt "$TRIES" ] && { echo "setup: $what failed (try $n of $TRIES), again in $PAUSE s"; sleep "$PAUSE"; }
    done
    echo "setup: $what failed $TRIES times"
    return 1
}

apt_update() { $SUDO apt-get update -qq; }
# A list that stays broken leaves the others updated: go on with them.
updated=0
apt_update_once() {
    [ $updated = 1 ] && return 0
    updated=1
    retry "apt-get update" apt_update || echo "setup: going on with the package lists as they are"
}
apt_install() { $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }

# Installs the packages given; a batch that apt refuses is split, so one
# package that cannot be had keeps none of the others out. Writes the names
# that are still missing to descriptor 3.
install_all() {
    retry "installing $*" apt_install "$@" && return 0
    [ $# -gt 1 ] || { echo "$1" >&3; return 0; }
    local p
    for p in "$@"; do
        apt_install "$p" || echo "$p" >&3
    done
}

# One look at the package database for the whole list (one call per package
# costs seconds on a busy machine). It fails when any is missing, which is
# what it is asked.
present="$({ dpkg-query -W -f='${binary:Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null || true; } |
           awk '$NF == "installed" && $(NF-1) == "ok" { sub(/:.*/, "", $1); print $1 }')"
missing=()
for p in "${PACKAGES[@]}"; do
    grep -qxF "$p" <<<"$present" || missing+=("$p")
done

want_wine32=0
if ! host_runs_i386; then
    if ! installed qemu-user-static; then
        export DEBIAN_FRONTEND=noninteractive
        apt_update_once
        retry "installing qemu-user-static" apt_install qemu-user-static ||
            echo "setup: WARNING: could not install qemu-user-static: 32-bit code cannot be emulated here"
    fi
    if installed qemu-user-static; then register_i386_emulator || true; fi
fi
if host_runs_i386; then
    want_wine32=1
    # The i386 lists come with the next update, even when one was made for the emulator.
    grep -qx i386 <<<"$(dpkg --print-foreign-architectures)" || { $SUDO dpkg --add-architecture i386; updated=0; }
    installed wine32:i386 || missing+=(wine32:i386)
fi

failed=()
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt_update_once
    # The 32-bit Wine comes from the i386 lists, the first to break: the rest
    # goes in first and never waits for it.
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    failures="$(mktemp)"
    if [ ${#rest[@]} -gt 0 ]; then install_all "${rest[@]}" 3>>"$failures"; fi
    if [ $want_wine32 = 1 ] && ! installed wine32:i386; then install_all wine32:i386 3>>"$failures"; fi
    mapfile -t failed <"$failures"
    rm -f "$failures"
fi

# zh_CN for the test prefix (code page 936); en_US for the second prefix,
# a Western system (code page 1252), where the program must read the same.
for loc in zh_CN en_US; do
    if ! grep -qi "^$loc\.utf8\$" <<<"$(locale -a 2>/dev/null)"; then
        echo "setup: generating $loc.UTF-8"
        $SUDO sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null
    fi
done

status=0
if [ $want_wine32 = 1 ] && ! installed wine32:i386; then
    echo "setup: WARNING: $WINE32_LINE; the test command skips the i686 suites"
fi
others=()
for p in "${failed[@]}"; do [ "$p" = wine32:i386 ] || others+=("$p"); done
if [ ${#others[@]} -gt 0 ]; then
    echo "setup: ERROR: could not install ${others[*]}"
    status=1
fi
echo "setup: $([ $status = 0 ] && echo ok || echo incomplete) (32-bit host: $([ $want_wine32 = 1 ] && echo yes || echo no))"
exit $status
