#!/bin/bash
# Installs everything the build, the tests and the run command need on Debian 12.
# Idempotent: when everything is present it changes nothing and returns in seconds.
set -euo pipefail

PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
          wine wine64 wine64-tools xvfb x11-utils locales fonts-wqy-microhei
          imagemagick cmake ninja-build g++ googletest libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev python3 curl zlib1g-dev libz-mingw-w64-dev)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

# Can this host execute 32-bit x86 code? Run a hand-made 84-byte i386 ELF that
# only calls exit(0). Hosts without IA-32 emulation answer "Exec format error".
host_runs_i386() {
    local probe
    probe="$(mktemp)"
    python3 - "$probe" <<'PY'
import struct, sys
code = bytes([0xb8, 1, 0, 0, 0, 0x31, 0xdb, 0xcd, 0x80])   # mov eax,1; xor ebx,ebx; int 0x80
base, hdr = 0x08048000, 52 + 32
elf = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
elf += struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + hdr, 52, 0, 0, 52, 32, 1, 0, 0, 0)
elf += struct.pack("<IIIIIIII", 1, 0, base, base, hdr + len(code), hdr + len(code), 5, 0x1000)
open(sys.argv[1], "wb").write(elf + code)
PY
    chmod +x "$probe"
    local ok=1
    if "$probe" 2>/dev/null; then ok=0; fi
    rm -f "$probe"
    return $ok
}

if [ "${1:-}" = --probe-i386 ]; then host_runs_i386; exit; fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

want_wine32=0
if command -v python3 >/dev/null && host_runs_i386; then
    want_wine32=1
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" || missing+=(wine32:i386)
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    echo "setup: generating zh_CN.UTF-8"
    $SUDO sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi

echo "setup: ok (32-bit host: $([ $want_wine32 = 1 ] && echo yes || echo no))"
