"""Adds up the GoogleTest XML reports of every target and prints the totals."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

build = sys.argv[1]
total_pass = total_fail = total_skip = 0
for target in ("native", "x86_64", "i686"):
    files = sorted(glob.glob(os.path.join(build, target, "results", "*.xml")))
    if not files:
        continue
    p = f = s = 0
    for path in files:
        root = ET.parse(path).getroot()
        for case in root.iter("testcase"):
            if case.find("failure") is not None:
                f += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                s += 1
            else:
                p += 1
    print(f"{target}: {p} passed, {f} failed, {s} skipped ({len(files)} suites)")
    total_pass, total_fail, total_skip = total_pass + p, total_fail + f, total_skip + s
print(f"Total: {total_pass} passed, {total_fail} failed, {total_skip} skipped")
sys.exit(1 if total_fail or total_pass == 0 else 0)
