#!/usr/bin/env python3
"""The include-direction check on its fixture: a tree with one include that points up must exit 1
and name that include alone; the same tree without it must exit 0 and print nothing."""
import pathlib
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
CHECK = HERE / "include_direction.py"
EXPECTED = ("pushwren/subscriptions/upward.cpp:2: pushwren/subscriptions/ includes "
            "pushwren/bridge/router.h from pushwren/bridge/, a layer above it")


def run(root):
    return subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)


def main():
    failures = []
    upward = run(HERE / "fixture")
    if upward.returncode != 1:
        failures.append(f"with an upward include the check exited {upward.returncode}, not 1")
    if upward.stdout.splitlines() != [EXPECTED]:
        failures.append(f"with an upward include the check printed {upward.stdout!r}, not the one line {EXPECTED!r}")
    with tempfile.TemporaryDirectory() as work:
        clean = pathlib.Path(work) / "fixture"
        shutil.copytree(HERE / "fixture", clean)
        (clean / "pushwren/subscriptions/upward.cpp").unlink()
        downward = run(clean)
        if downward.returncode != 0 or downward.stdout:
            failures.append(f"without it the check exited {downward.returncode} printing {downward.stdout!r}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
