#!/usr/bin/env python3
"""Makes a long playground session from the recorded one by repeating its pattern.

    repeat_session.py STEPS OUT_JSONL [RECORDED_JSONL]

Writes the recorded session's start (up to its "# pattern" comment line), then its pattern
again and again, comment lines included, until the file holds STEPS steps; the last repetition
may stop part way. The pattern ends as it begins, with a freshly loaded page, so every
repetition replays as the first did. RECORDED_JSONL defaults to recorded-session.jsonl beside
this script (record_session.mjs writes it).
"""
import os
import sys

PATTERN_MARK = "# pattern:"
HERE = os.path.dirname(os.path.abspath(__file__))


def is_step(line):
    text = line.strip()
    return bool(text) and not text.startswith("#")


def repeated(recorded_lines, steps):
    marks = [i for i, line in enumerate(recorded_lines) if line.startswith(PATTERN_MARK)]
    if len(marks) != 1:
        raise ValueError(f'the recorded session needs one "{PATTERN_MARK}" line; it has {len(marks)}')
    start, pattern = recorded_lines[: marks[0]], recorded_lines[marks[0] + 1:]
    pattern_steps = sum(map(is_step, pattern))
    if pattern_steps == 0:
        raise ValueError("the recorded pattern holds no step")
    if sum(map(is_step, start)) > steps:
        raise ValueError(f"the recorded start alone holds more than {steps} steps")
    out = []
    count = 0
    for line in start + pattern * (steps // pattern_steps + 1):
        if count == steps:
            break
        out.append(line)
        count += is_step(line)
    return out


def main(argv):
    if len(argv) not in (2, 3) or not argv[0].isdigit():
        print(__doc__, file=sys.stderr)
        return 2
    steps, out_path = int(argv[0]), argv[1]
    recorded_path = argv[2] if len(argv) == 3 else os.path.join(HERE, "recorded-session.jsonl")
    with open(recorded_path, encoding="utf-8") as f:
        lines = f.read().splitlines(keepends=True)
    try:
        out = repeated(lines, steps)
    except ValueError as e:
        print(f"{recorded_path}: {e}", file=sys.stderr)
        return 1
    with open(out_path, "w", encoding="utf-8") as f:
        f.writelines(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
