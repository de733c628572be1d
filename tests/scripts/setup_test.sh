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
chmod +x "$FAKES"/*

PACKAGES=($(sed -n '/^PACKAGES=(/,/)/p' "$SETUP" | tr -d '()' | sed 's/PACKAGES=//'))

# Runs the set-up in a fresh fake machine; $1: packages installed at the start.
run_setup() {
    export FAKE_STATE="$WORK/state.$RANDOM"
    mkdir -p "$FAKE_STATE"
    printf '%s\n' $1 >"$FAKE_STATE/installed"
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

start_case AMachineWithEverythingIsLeftAlone
VENDRAKE_HOST_RUNS_I386=yes run_setup "${PACKAGES[*]} wine32:i386"
expect '[ $RC = 0 ]'
expect '[ ! -e "$FAKE_STATE/install-calls" ] && [ "$(updates)" = 0 ]'
expect '[ "$OUT" = "setup: ok (32-bit host: yes)" ]'
end_case

write_report SetupScript "$XML"
