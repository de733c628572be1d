#!/bin/bash
# scripts/setup.sh against a fake package system: a package index that stays
# broken, a package that cannot be had, and a machine that has everything. The fakes (apt-get, dpkg, dpkg-query, locale, sudo)
# come first on PATH and keep their state in a scratch folder.
# Usage: setup_test.sh [--xml FILE]  (FILE: a GoogleTest-style report)
set -uo pipefail
SETUP="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/setup.sh"
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
FAKES="$WORK/bin"
mkdir -p "$FAKES"

cat >"$FAKES/apt-get" <<'SH'
#!/bin/bash
# update fails while the count of earlier updates is below $FAKE_UPDATE_FAILS;
# install is all or nothing and refuses any package named in $FAKE_REFUSE.
state="$FAKE_STATE"
case "$1" in
update)
    n=$(($(cat "$state/updates" 2>/dev/null || echo 0) + 1)); echo $n >"$state/updates"
    [ "$n" -gt "${FAKE_UPDATE_FAILS:-0}" ] ;;
install)
    shift; pkgs=()
    for a in "$@"; do case "$a" in -*) ;; *) pkgs+=("$a") ;; esac; done
    echo "${pkgs[*]}" >>"$state/install-calls"
    for p in "${pkgs[@]}"; do
        for r in ${FAKE_REFUSE:-}; do [ "$p" = "$r" ] && exit 100; done
    done
    printf '%s\n' "${pkgs[@]}" >>"$state/installed" ;;
esac
SH
cat >"$FAKES/dpkg-query" <<'SH'
#!/bin/bash
# -W -f=FORMAT NAME...: the status line of each installed package, with its
# name first when the format asks for it; fails when any is missing.
format="$2"; shift 2; rc=0
for p in "$@"; do
    if grep -qxF "$p" "$FAKE_STATE/installed" 2>/dev/null; then
        case "$format" in *binary:Package*) echo "$p install ok installed" ;; *) printf 'install ok installed' ;; esac
    else
        rc=1
    fi
done
exit $rc
SH
cat >"$FAKES/dpkg" <<'SH'
#!/bin/bash
case "$1" in
--print-foreign-architectures) cat "$FAKE_STATE/arches" 2>/dev/null ;;
--add-architecture) echo "$2" >>"$FAKE_STATE/arches" ;;
esac
SH
# The pause lets a reader that stops at the first line go before the second
# is written, as a long list of locales does on a real machine.
printf '#!/bin/bash\necho zh_CN.utf8\nsleep 0.1\necho en_US.utf8\n' >"$FAKES/locale"
printf '#!/bin/bash\nexec "$@"\n' >"$FAKES/sudo"
# mount -t binfmt_misc binfmt_misc DIR: succeeds (DIR gets its register file) when $FAKE_MOUNT is ok.
printf '#!/bin/bash\n[ "${FAKE_MOUNT:-}" = ok ] && mkdir -p "$4" && touch "$4/register"\n' >"$FAKES/mount"
chmod +x "$FAKES"/*

PACKAGES=($(sed -n '/^PACKAGES=(/,/)/p' "$SETUP" | tr -d '()' | sed 's/PACKAGES=//'))

# Runs the set-up in a fresh fake machine; $1: packages installed at the start.
run_setup() {
    export FAKE_STATE="$WORK/state.$RANDOM"
    mkdir -p "$FAKE_STATE"
    printf '%s\n' $1 >"$FAKE_STATE/installed"
    rerun_setup
}
# Runs it again on the same fake machine.
rerun_setup() {
    export VENDRAKE_BINFMT_DIR="$FAKE_STATE/binfmt"
    OUT="$(PATH="$FAKES:$PATH" VENDRAKE_SETUP_PAUSE=0 VENDRAKE_SETUP_TRIES=3 bash "$SETUP" 2>&1)"
    RC=$?
    PROBE="$(PATH="$FAKES:$PATH" bash "$SETUP" --probe-i386)"
    PROBE_RC=$?
}
installed() { grep -qxF "$1" "$FAKE_STATE/installed"; }
updates() { cat "$FAKE_STATE/updates" 2>/dev/null || echo 0; }

all_installed() {
    local p
    for p in "${PACKAGES[@]}"; do installed "$p" || return 1; done
}

start_case BrokenIndexInstallsAllButThe32BitWineAndSaysSo
FAKE_UPDATE_FAILS=99 FAKE_REFUSE=wine32:i386 VENDRAKE_HOST_RUNS_I386=yes run_setup ""
expect '[ $RC = 0 ]'
expect '[ "$(updates)" = 3 ]'
expect 'all_installed'
expect '! installed wine32:i386'
expect '[ "$(grep -c "32-bit Wine (wine32:i386) is not installed" <<<"$OUT")" = 1 ]'
expect 'grep -qx i386 "$FAKE_STATE/arches"'
expect '[ $PROBE_RC = 1 ] && grep -q "wine32:i386" <<<"$PROBE"'
end_case

start_case APackageThatCannotBeHadKeepsNoOtherOutAndFails
FAKE_REFUSE=curl VENDRAKE_HOST_RUNS_I386=no run_setup ""
expect '[ $RC = 1 ]'
expect 'grep -q "ERROR: could not install curl$" <<<"$OUT"'
expect '! installed curl && installed wine64 && installed cmake'
expect '! installed wine32:i386'
expect '[ $PROBE_RC = 1 ] && grep -q "cannot execute 32-bit" <<<"$PROBE"'
end_case

start_case AHostWithout32BitCodeGetsTheEmulatorRegisteredOnce
FAKE_MOUNT=ok VENDRAKE_HOST_RUNS_I386=no run_setup "${PACKAGES[*]}"
expect 'installed qemu-user-static'
expect '[ "$(cat "$VENDRAKE_BINFMT_DIR/register")" = ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F" ]'
expect 'grep -qx "setup: this host cannot execute 32-bit x86 code: registered /usr/bin/qemu-i386-static for it (binfmt_misc)" <<<"$OUT"'
# What the kernel makes of it; the next run finds the entry and writes nothing.
printf 'enabled\nmagic 7f454c4601010100000000000000000002000300\n' >"$VENDRAKE_BINFMT_DIR/qemu-i386"
: >"$VENDRAKE_BINFMT_DIR/register"
FAKE_MOUNT=ok VENDRAKE_HOST_RUNS_I386=no rerun_setup
expect '[ ! -s "$VENDRAKE_BINFMT_DIR/register" ] && ! grep -q registered <<<"$OUT"'
FAKE_MOUNT=no VENDRAKE_HOST_RUNS_I386=no run_setup "${PACKAGES[*]} qemu-user-static"
expect 'grep -q "WARNING: cannot mount binfmt_misc on .*: 32-bit code cannot be emulated here" <<<"$OUT"'
expect '[ $RC = 0 ] && grep -q "(32-bit host: no)" <<<"$OUT"'
end_case

start_case AMachineWithEverythingIsLeftAlone
VENDRAKE_HOST_RUNS_I386=yes run_setup "${PACKAGES[*]} wine32:i386"
expect '[ $RC = 0 ]'
expect '[ ! -e "$FAKE_STATE/install-calls" ] && [ "$(updates)" = 0 ]'
expect '[ "$OUT" = "setup: ok (32-bit host: yes)" ]'
end_case

write_report SetupScript "$XML"
