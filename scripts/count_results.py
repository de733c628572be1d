"""Adds up the GoogleTest XML reports of every target and prints the totals.

A target whose suites the test command could not run here has a file
results/SKIPPED with the reason instead; the totals name it."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

build = sys.argv[1]
total_pass = total_fail = total_skip = 0
skipped_targets = []
silent = []  # targets with neither results nor a reason
for target in ("native", "x86_64", "i686"):
    files = sorted(glob.glob(os.path.join(build, target, "results", "*.xml")))
    skip_note = os.path.join(build, target, "results", "SKIPPED")
    if os.path.exists(skip_note):
        # The import check still leaves its result for a target whose suites were skipped.
        reason = open(skip_note, encoding="utf-8").read().strip() or "no reason given"
        print(f"{target}: suites skipped: {reason}")
        skipped_targets.append((target, reason))
        if not files:
            continue
    if not files:
        print(f"{target}: no results: its suites did not run")
        silent.append(target)
        continue
    p = f = s = 0
    for path in files:
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError as e:
            # A failure message with raw bytes in it makes GoogleTest write XML
            # that does not parse: the suite failed, count it as one failure.
            print(f"{target}: {os.path.basename(path)} is not readable XML ({e}); counted as one failure")
            f += 1
            continue
        for case in root.iter("testcase"):
            if case.find("failure") is not None:
                f += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                s += 1
            else:
                p += 1
    print(f"{target}: {p} passed, {f} failed, {s} skipped ({len(files)} suites)")
    total_pass, total_fail, total_skip = total_pass + p, total_fail + f, total_skip + s
note = "".join(f"; {target} suites not run: {reason}" for target, reason in skipped_targets)
print(f"Total: {total_pass} passed, {total_fail} failed, {total_skip} skipped{note}")
sys.exit(1 if total_fail or total_pass == 0 or silent else 0)
