#!/usr/bin/env python3
"""clang-tidy over the project's sources, skipping a source it has already found clean.

Usage: clang_tidy_cached.py BUILD_DIR FILE_REGEX

Runs clang-tidy on every entry of BUILD_DIR/compile_commands.json whose file matches FILE_REGEX,
as many at a time as there are cores, and prints what it reports. A source found clean is
remembered under the hash of what clang-tidy reads: the preprocessed source (every header it
includes, without line markers, so another clone's paths do not count), the compile flags with the
clone's path taken out, the checks and clang-tidy's version. An unchanged source is then not read
again, in this clone or another one on the machine. A source with findings is never remembered.
Exits 1 when anything was reported.
"""

import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
from pathlib import Path

TIDY = "clang-tidy"
EXTRA_ARGS = ["-extra-arg=-Wno-unknown-warning-option"]
CACHE = Path(os.environ.get("PUSHWREN_TIDY_CACHE", Path.home() / ".cache" / "pushwren-clang-tidy"))


def preprocessed(entry):
    """What the compiler sees of the source, or None when it cannot be preprocessed."""
    args = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
    kept, skip = [], False
    for arg in args:
        if skip:
            skip = False
            continue
        if arg == "-o":
            skip = True
            continue
        if arg == "-c":
            continue
        kept.append(arg)
    result = subprocess.run(kept + ["-E", "-P"], cwd=entry["directory"], capture_output=True)
    return result.stdout if result.returncode == 0 else None


def key(entry, root, fixed):
    source = preprocessed(entry)
    if source is None:
        return None
    digest = hashlib.sha256(fixed)
    digest.update(entry["command"].replace(root, "ROOT").encode() if "command" in entry else b"")
    digest.update(os.path.relpath(entry["file"], root).encode())
    digest.update(source)
    return digest.hexdigest()


def tidy(entry, build, root, fixed):
    found_key = key(entry, root, fixed)
    if found_key and (CACHE / found_key).exists():
        return ""
    result = subprocess.run([TIDY, "-p", build, "-quiet", *EXTRA_ARGS, entry["file"]], capture_output=True, text=True)
    output = result.stdout + result.stderr
    reported = "\n".join(line for line in output.splitlines() if re.search(r"(warning|error):", line))
    if result.returncode != 0 and not reported:
        reported = f"{entry['file']}: clang-tidy exited {result.returncode}\n{output[-2000:]}"
    if not reported and found_key:
        CACHE.mkdir(parents=True, exist_ok=True)
        (CACHE / found_key).touch()
    return reported


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, pattern = sys.argv[1], re.compile(sys.argv[2])
    root = str(Path(__file__).resolve().parent.parent)
    entries = [e for e in json.loads(Path(build, "compile_commands.json").read_text()) if pattern.search(e["file"])]
    version = subprocess.run([TIDY, "--version"], capture_output=True, text=True).stdout
    fixed = (version + Path(root, ".clang-tidy").read_text() + " ".join(EXTRA_ARGS)).encode()
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        reports = [r for r in pool.map(lambda e: tidy(e, build, root, fixed), entries) if r]
    for report in reports:
        print(report)
    print(f"clang-tidy: {len(entries)} sources, {len(reports)} with findings")
    sys.exit(1 if reports else 0)


if __name__ == "__main__":
    main()
