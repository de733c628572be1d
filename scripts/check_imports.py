"""Checks that the shipped binaries import nothing newer than their target's
oldest supported Windows.

For each target it lists every function Vendrake.exe and Zelpo.dll import
(objdump -p of the mingw-w64 binutils) and looks each one up in
scripts/import_table.tsv, the first Windows version whose headers declare it
(written by scripts/make_import_table.py). It fails on a function newer than
the target's floor, and on one the table cannot date: not declared by any of
the headers the table covers, or imported by ordinal. Imports from msvcrt.dll,
the C runtime, are listed but not dated: its headers carry no Windows guards.
Imports between our own binaries are ours to satisfy.

Usage: check_imports.py BUILD [--out DIR] [--xml]
  BUILD holds i686/bin and x86_64/bin (a target that was not built fails).
  The full import lists go to DIR/TARGET/imports.txt (DIR is BUILD unless
  given); --xml also writes DIR/TARGET/results/imports.xml, one test case per
  binary, for the test command's totals.
"""
import argparse
import os
import re
import subprocess
import sys
from xml.sax.saxutils import escape, quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "import_table.tsv")
BINARIES = ["Vendrake.exe", "Zelpo.dll"]
# The oldest Windows each target supports: 2000 for 32-bit; 64-bit Windows
# began with XP x64 Edition and Server 2003 SP1, both 0x0502.
FLOORS = {"i686": "0x0500", "x86_64": "0x0502"}
NAMES = {"0x0400": "NT 4.0", "0x0500": "2000", "0x0501": "XP", "0x0502": "Server 2003 / XP x64",
         "0x0600": "Vista", "0x0601": "7", "0x0602": "8", "0x0603": "8.1", "0x0A00": "10"}
UNDATED_DLLS = {"msvcrt.dll"}

ENTRY = re.compile(r"^\t([0-9a-fA-F]+)\t\s*(\d+)\s+(\S+)")


def read_table(path):
    arches, table = [], {}
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if line.startswith("# function\t"):
                arches = fields[1:]
            elif not line.startswith("#") and len(fields) == len(arches) + 1:
                table[fields[0]] = dict(zip(arches, fields[1:]))
    if not table:
        raise SystemExit(f"{path}: no table")
    return table


def imports_of(arch, path):
    out = subprocess.run([f"{arch}-w64-mingw32-objdump", "-p", path], check=True,
                         capture_output=True, text=True).stdout
    return parse_imports(out)


def parse_imports(out):
    """(dll, function) pairs from objdump -p; function is None for an ordinal."""
    pairs, dll, in_imports = [], None, False
    for line in out.splitlines():
        if line.startswith("The Import Tables"):
            in_imports = True
        elif line.startswith("The ") or line.startswith("PE File"):
            in_imports = False
        if not in_imports:
            continue
        if line.strip().startswith("DLL Name:"):
            dll = line.split(":", 1)[1].strip()
            continue
        m = ENTRY.match(line)
        if m and dll:
            name = m.group(3)
            pairs.append((dll, None if name == "<none>" else name))
    return pairs


def judge(arch, floor, table, pairs, ours):
    """Problems (text lines) and the newest version met among dated imports."""
    problems, newest = [], "0x0400"
    if not pairs:
        problems.append("no imports found in objdump's listing: it could not be read")
    for dll, name in pairs:
        if dll.lower() in ours:
            continue
        if name is None:
            problems.append(f"{dll}: import by ordinal cannot be dated")
            continue
        level = table.get(name, {}).get(arch, "-")
        if level == "-":
            if dll.lower() not in UNDATED_DLLS:
                problems.append(f"{dll}!{name}: not in the table, cannot be dated")
            continue
        newest = max(newest, level, key=lambda v: int(v, 16))
        if int(level, 16) > int(floor, 16):
            problems.append(f"{dll}!{name}: needs {level} (Windows {NAMES.get(level, level)})")
    return problems, newest


def write_listing(path, listing):
    with open(path, "w") as f:
        for binary, pairs, table, arch in listing:
            f.write(f"== {binary}\n")
            for dll, name in sorted(pairs, key=lambda p: (p[0].lower(), p[1] or "")):
                level = table.get(name, {}).get(arch, "-") if name else "-"
                f.write(f"{dll}\t{name or '<ordinal>'}\t{level}\n")


def write_xml(path, cases):
    failures = sum(1 for _, problems in cases if problems)
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        f.write(f'<testsuites tests="{len(cases)}" failures="{failures}">\n')
        f.write(f'  <testsuite name="Imports" tests="{len(cases)}" failures="{failures}">\n')
        for name, problems in cases:
            f.write(f'    <testcase name={quoteattr(name)} classname="Imports">\n')
            if problems:
                text = escape("\n".join(problems))
                f.write(f'      <failure message={quoteattr(problems[0])}>{text}</failure>\n')
            f.write("    </testcase>\n")
        f.write("  </testsuite>\n</testsuites>\n")


def check_target(build, out, arch, table, xml):
    floor = FLOORS[arch]
    bindir = os.path.join(build, arch, "bin")
    ours = {b.lower() for b in BINARIES}
    cases, listing, ok = [], [], True
    print(f"{arch}: floor {floor} (Windows {NAMES[floor]})")
    for binary in BINARIES:
        path = os.path.join(bindir, binary)
        if not os.path.isfile(path):
            problems, pairs, newest = [f"{path}: missing"], [], "-"
        else:
            pairs = imports_of(arch, path)
            problems, newest = judge(arch, floor, table, pairs, ours)
        dlls = sorted({d for d, _ in pairs}, key=str.lower)
        undated = sum(1 for d, n in pairs if d.lower() in UNDATED_DLLS and table.get(n, {}).get(arch, "-") == "-")
        print(f"  {binary}: {len(pairs)} imports from {len(dlls)} DLLs ({', '.join(dlls)}); "
              f"newest {newest}; {undated} C runtime imports not dated")
        for p in problems:
            print(f"    FAIL {p}")
        cases.append((f"{arch}_{binary}", problems))
        listing.append((binary, pairs, table, arch))
        ok = ok and not problems
    target_out = os.path.join(out, arch)
    os.makedirs(target_out, exist_ok=True)
    write_listing(os.path.join(target_out, "imports.txt"), listing)
    if xml:
        os.makedirs(os.path.join(target_out, "results"), exist_ok=True)
        write_xml(os.path.join(target_out, "results", "imports.xml"), cases)
    return ok


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--out")
    parser.add_argument("--xml", action="store_true")
    args = parser.parse_args()
    table = read_table(TABLE)
    ok = True
    for arch in FLOORS:
        ok = check_target(args.build, args.out or args.build, arch, table, args.xml) and ok
    print("imports: " + ("ok" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
