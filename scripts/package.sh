#!/bin/bash
# The package command: sets up, builds both Windows targets and writes, for
# each, build/dist/Vendrake-VERSION-TARGET.zip with the stripped Vendrake.exe
# and Zelpo.dll, the user's read-me in Chinese (ReadMe.txt) and the README. Their debug information stays beside, in
# build/dist/Vendrake-VERSION-TARGET-debug/, one file per program, each linked
# to its program by the program's .gnu_debuglink (name and CRC). The version
# comes from the file VERSION, as in the programs' version resources.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
vk_setup
version="$(head -n 1 "$VK_ROOT/VERSION")"
dist="$VK_BUILD/dist"
mkdir -p "$dist"

for target in x86_64 i686; do
    vk_build "$target"
    case "$target" in
        x86_64) objcopy=x86_64-w64-mingw32-objcopy ;;
        i686) objcopy=i686-w64-mingw32-objcopy ;;
    esac
    name="Vendrake-$version-$target"
    stage="$dist/$name"
    debug="$dist/$name-debug"
    rm -rf "$stage" "$debug" "$dist/$name.zip"
    mkdir -p "$stage" "$debug"
    for program in Vendrake.exe Zelpo.dll; do
        built="$VK_BUILD/$target/bin/$program"
        "$objcopy" --only-keep-debug "$built" "$debug/$program.debug"
        # Everything but what Windows loads: the symbols stay in the debug file.
        # The link is made from the debug folder, so it names the file alone.
        (cd "$debug" && "$objcopy" --strip-all --add-gnu-debuglink="$program.debug" "$built" "$stage/$program")
    done
    cp "$VK_ROOT/README.md" "$stage/README.md"
    cp "$VK_ROOT/resources/ReadMe.txt" "$stage/ReadMe.txt"
    python3 "$VK_ROOT/scripts/package_zip.py" "$stage" "$dist/$name.zip" "$debug"
    rm -rf "$stage"
done
vk_log "packages in $dist"
