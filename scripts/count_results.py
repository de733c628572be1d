"""Adds up the GoogleTest XML reports of every target and prints the totals.

A target whose suites the test command could not run here has a file
results/SKIPPED with the reason instead; the totals name it. ctest's own
record of the run (results/ctest.junit) says which suites ran and how each
ended: a suite that failed without a report of its failures (it crashed, or
never started) counts as one failure, by name. A file results/SUBSET says
why only some of a target's suites ran; the totals repeat it."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

RECORD = "ctest.junit"


def note(results, name):
    """The one-line reason in results/NAME, None without the file."""
    path = os.path.join(results, name)
    if not os.path.exists(path):
        return None
    return open(path, encoding="utf-8").read().strip() or "no reason given"


def read_report(path):
    """(passed, failed, skipped) of one GoogleTest report; None if it does not parse."""
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        return None
    p = f = s = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None:
            f += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            s += 1
        else:
            p += 1
    return p, f, s


def failed_suites(results):
    """Names of the suites ctest ran that did not pass; None without its record."""
    path = os.path.join(results, RECORD)
    if not os.path.exists(path):
        return None
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        return None
    return [c.get("name") for c in root.iter("testcase") if c.get("status") != "run"]


build = sys.argv[1]
total_pass = total_fail = total_skip = 0
skipped_targets = []
subsets = []
silent = []  # targets with neither results nor a reason
for target in ("native", "x86_64", "i686"):
    results = os.path.join(build, target, "results")
    files = sorted(glob.glob(os.path.join(results, "*.xml")))
    reason = note(results, "SKIPPED")
    if reason:
        # The import check still leaves its result for a target whose suites were skipped.
        print(f"{target}: suites skipped: {reason}")
        skipped_targets.append((target, reason))
        if not files:
            continue
    if not files and failed_suites(results) is None:
        print(f"{target}: no results: its suites did not run")
        silent.append(target)
        continue
    p = f = s = 0
    reported_failures = set()
    for path in files:
        counts = read_report(path)
        name = os.path.splitext(os.path.basename(path))[0]
        if counts is None:
            # A failure message with raw bytes in it makes GoogleTest write XML
            # that does not parse: the suite failed, count it as one failure.
            print(f"{target}: {os.path.basename(path)} is not readable XML; counted as one failure")
            counts = (0, 1, 0)
        if counts[1]:
            reported_failures.add(name)
        p, f, s = p + counts[0], f + counts[1], s + counts[2]
    # A suite can also fail with no failure in its report: it crashed after
    # writing it, or at its end.
    unreported = [n for n in failed_suites(results) or [] if n not in reported_failures]
    f += len(unreported)
    extra = f"; failed without a report of it: {', '.join(unreported)}" if unreported else ""
    print(f"{target}: {p} passed, {f} failed, {s} skipped ({len(files)} suites{extra})")
    subset = note(results, "SUBSET")
    if subset:
        print(f"{target}: {subset}")
        subsets.append((target, subset))
    total_pass, total_fail, total_skip = total_pass + p, total_fail + f, total_skip + s
notes = "".join(f"; {target} suites not run: {reason}" for target, reason in skipped_targets)
notes += "".join(f"; {target}: {subset}" for target, subset in subsets)
print(f"Total: {total_pass} passed, {total_fail} failed, {total_skip} skipped{notes}")
sys.exit(1 if total_fail or total_pass == 0 or silent else 0)
