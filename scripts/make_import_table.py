"""Writes the table of the first Windows version that declares each function,
as the mingw-w64 headers themselves say it.

The headers hide a newer declaration behind a guard such as
`#if _WIN32_WINNT >= 0x0600`. Rather than read those guards, this lets the
compiler evaluate them: it compiles one translation unit that includes the
headers of the system libraries at each version below, and lists the
functions declared (gcc -aux-info). A function's version is the first one at
which it is declared. Functions the headers declare without a guard, or with
a guard at or below the lowest version, get the lowest version.

Usage: make_import_table.py OUTPUT   (needs the mingw-w64 C compilers)
"""
import os
import re
import subprocess
import sys
import tempfile

# _WIN32_WINNT values, oldest first. WINVER follows it; the headers derive
# NTDDI_VERSION and _WIN32_IE from it on their own.
LEVELS = ["0x0400", "0x0500", "0x0501", "0x0502", "0x0600", "0x0601", "0x0602", "0x0603", "0x0A00"]

ARCHES = ["i686", "x86_64"]

# The headers of the system libraries a Win32 program may import from, and of
# the C runtime (msvcrt.dll) the compilers link. winsock2.h comes before
# windows.h, which would otherwise pull in the old winsock.h.
HEADERS = """
winsock2.h ws2tcpip.h windows.h commctrl.h commdlg.h shellapi.h shlobj.h shlwapi.h
wininet.h urlmon.h ole2.h oleauto.h olectl.h oleacc.h mshtml.h exdisp.h psapi.h
tlhelp32.h dbghelp.h uxtheme.h dwmapi.h iphlpapi.h setupapi.h userenv.h
wtsapi32.h winternl.h mmsystem.h richedit.h
process.h stdio.h stdlib.h string.h wchar.h locale.h signal.h setjmp.h io.h
time.h math.h errno.h ctype.h
""".split()

HEADER_DIRS = ["/usr/share/mingw-w64/include/"] + [f"/usr/{a}-w64-mingw32/include/" for a in ARCHES]

# One declaration per line: /* file:line:NC */ extern TYPE NAME (PARAMS);
# The name is the word before the first "(" that opens a parameter list (not
# "(*", which starts a function pointer type).
DECLARATION = re.compile(r"([A-Za-z_]\w*) \((?!\*)")


def declared_functions(arch, level, source):
    with tempfile.TemporaryDirectory() as tmp:
        info = os.path.join(tmp, "decls.txt")
        subprocess.run([f"{arch}-w64-mingw32-gcc-win32", "-x", "c", "-fsyntax-only", "-aux-info", info,
                        f"-D_WIN32_WINNT={level}", f"-DWINVER={level}", source], check=True)
        names = set()
        with open(info, encoding="latin-1") as f:
            for line in f:
                where, _, code = line.partition("*/")
                # The compiler's own intrinsics headers are not the system's.
                if not any(where.startswith("/* " + d) for d in HEADER_DIRS):
                    continue
                m = DECLARATION.search(code)
                if m:
                    names.add(m.group(1))
        return names


def first_levels(arch, source):
    first = {}
    for level in LEVELS:
        for name in declared_functions(arch, level, source):
            first.setdefault(name, level)
    return first


def main():
    output = sys.argv[1]
    with tempfile.NamedTemporaryFile("w", suffix=".c", delete=False) as src:
        src.write("".join(f"#include <{h}>\n" for h in HEADERS))
    try:
        tables = {arch: first_levels(arch, src.name) for arch in ARCHES}
    finally:
        os.unlink(src.name)
    names = sorted(set().union(*tables.values()))
    with open(output, "w") as out:
        out.write("# First Windows version (_WIN32_WINNT) whose mingw-w64 headers declare each\n")
        out.write(f"# function; {LEVELS[0]}: declared at the lowest version tried, guarded or not.\n")
        out.write("# '-': not declared for that target. Written by scripts/make_import_table.py.\n")
        out.write("# function\t" + "\t".join(ARCHES) + "\n")
        for name in names:
            out.write(name + "\t" + "\t".join(tables[a].get(name, "-") for a in ARCHES) + "\n")
    print(f"{output}: {len(names)} functions")


if __name__ == "__main__":
    main()
