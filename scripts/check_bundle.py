"""Checks a folder a complete save wrote against the files the demo served.

Usage: check_bundle.py FOLDER SERVED_FOLDER PATH...

Each PATH must be in FOLDER byte for byte as in SERVED_FOLDER, and the record
(record.json) must list exactly the files in FOLDER it names, with their sizes
and SHA-256, and no reference it could not have. Prints one line per finding;
exits 1 when anything is wrong.
"""
import hashlib
import json
import os
import re
import sys
import urllib.parse


def page_links(folder, page, movie):
    """The embedding page's movie addresses, read as a browser reads them from
    disk (against its BASE element when it has one), must reach the movie."""
    html = open(os.path.join(folder, page), encoding="utf-8").read()
    here = "file:///bundle/" + page
    base = re.search(r'<base href="([^"]*)"', html)
    if base:
        here = urllib.parse.urljoin(here, base.group(1))
    links = re.findall(r'NAME="movie" VALUE="([^"]*)"', html) + re.findall(r'<EMBED src="([^"]*)"', html)
    want = "/bundle/" + movie
    problems = [f"the page's link {l!r} does not reach {movie}"
                for l in links if urllib.parse.urlsplit(urllib.parse.urljoin(here, l)).path != want]
    return problems if links else [f"no movie link in {page}"]


def main():
    folder, served, paths = sys.argv[1], sys.argv[2], sys.argv[3:]
    bad = []
    for path in paths:
        mine, theirs = os.path.join(folder, path), os.path.join(served, path)
        if not os.path.isfile(mine):
            bad.append(f"{path}: missing from the folder")
        elif open(mine, "rb").read() != open(theirs, "rb").read():
            bad.append(f"{path}: differs from the served file")
    try:
        record = json.load(open(os.path.join(folder, "record.json"), encoding="utf-8"))
    except (OSError, ValueError) as e:
        print(f"record.json: {e}")
        return 1
    listed = {f["path"]: f for f in record["files"]}
    for path in paths:
        if path not in listed:
            bad.append(f"{path}: not in the record")
    for path, f in listed.items():
        data = open(os.path.join(folder, path), "rb").read() if os.path.isfile(os.path.join(folder, path)) else None
        if data is None:
            bad.append(f"{path}: in the record, not in the folder")
        elif f["size"] != len(data) or f["sha256"] != hashlib.sha256(data).hexdigest():
            bad.append(f"{path}: the record's size or SHA-256 is not the file's")
    for m in record.get("missing", []):
        bad.append(f"missing in the record: {m}")
    page = record.get("page_file", "")
    if not os.path.isfile(os.path.join(folder, page)):
        bad.append(f"the embedding page {page!r} is not in the folder")
    else:
        bad += page_links(folder, page, record["files"][0]["path"])
    for line in bad:
        print(line)
    print(f"{len(listed)} files in the record, {len(bad)} problems")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
