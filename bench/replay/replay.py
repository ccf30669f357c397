#!/usr/bin/env python3
"""Times the replay of a recorded 1,000-step playground session, as a person runs it.

    replay.py SIMULATOR OUT_JSON

Makes the session from the recorded one (repeat_session.py), takes its trace from one run and
checks that the session replays against it with --expect, and that the recorded session itself
replays against its recorded trace. Then times `SIMULATOR run SESSION` end to end, the trace read
through a pipe, alternating with its floor, and writes the medians to OUT_JSON as a row for
bench/report.py:
  {"rows": [{"name": "replay/steps_per_s", "value", "unit", "floor", "ratio"}], ...}

The floor is the same command running a 1-step scenario: it pays everything the long replay pays
but the steps themselves (starting the process, loading its libraries, setting up and tearing
down the simulation, writing a trace), so floor = 1,000 steps over that time is the rate the
replay would reach if its steps cost nothing, and ratio = floor / value is how many times the
fixed cost the whole replay takes. A bare `pushwren-sim steps` would leave the simulation's
setup out of the floor and blame it on the steps.

PUSHWREN_REPLAY_RUNS sets how many times each is timed (200).
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from repeat_session import repeated  # noqa: E402

STEPS = 1000
RUNS = int(os.environ.get("PUSHWREN_REPLAY_RUNS", "200"))
RECORDED = os.path.join(HERE, "recorded-session")
ONE_STEP = '{"do": "trackingStatus", "object": true}\n'


def run(simulator, *args):
    return subprocess.run([simulator, "run", *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          encoding="utf-8")


def checked(simulator, *args):
    done = run(simulator, *args)
    if done.returncode != 0:
        raise SystemExit(f"pushwren-sim run {' '.join(args)} exited {done.returncode}:\n{done.stderr}")
    return done.stdout


def seconds(simulator, path):
    before = time.perf_counter()
    done = subprocess.run([simulator, "run", path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    took = time.perf_counter() - before
    if done.returncode != 0 or not done.stdout:
        raise SystemExit(f"pushwren-sim run {path} exited {done.returncode} during the timing")
    return took


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    simulator, out_path = argv
    with tempfile.TemporaryDirectory(prefix="pushwren-replay-") as work:
        result = measure(simulator, work)
    os.makedirs(os.path.dirname(out_path) or ".", exist_ok=True)
    with open(out_path, "w") as f:
        json.dump(result, f, indent=2)
    print(f"replay of {STEPS} steps ({result['traceLines']} trace lines): median {result['replayMedianMs']:.2f} ms "
          f"over {RUNS} runs, {result['rows'][0]['value']:,.0f} steps/s; a 1-step run: "
          f"{result['oneStepMedianMs']:.2f} ms; {result['perStepUs']:.1f} us a step beyond it")
    print(f"written to {out_path}")
    return 0


def measure(simulator, work):
    session = os.path.join(work, "session.jsonl")
    trace = os.path.join(work, "session.trace")
    one_step = os.path.join(work, "one-step.jsonl")
    with open(f"{RECORDED}.jsonl", encoding="utf-8") as f:
        recorded = f.read().splitlines(keepends=True)
    with open(session, "w", encoding="utf-8") as f:
        f.writelines(repeated(recorded, STEPS))
    with open(one_step, "w", encoding="utf-8") as f:
        f.write(ONE_STEP)

    checked(simulator, f"{RECORDED}.jsonl", "--expect", f"{RECORDED}.trace")
    with open(trace, "w", encoding="utf-8") as f:
        f.write(checked(simulator, session))
    checked(simulator, session, "--expect", trace)
    with open(trace, encoding="utf-8") as f:
        trace_lines = sum(1 for _ in f)

    # Alternating, so that both sides share the machine's quieter and busier moments.
    for _ in range(3):
        seconds(simulator, session)
        seconds(simulator, one_step)
    replays, floors = [], []
    for _ in range(RUNS):
        replays.append(seconds(simulator, session))
        floors.append(seconds(simulator, one_step))
    replay_s, floor_s = statistics.median(replays), statistics.median(floors)
    value, floor = STEPS / replay_s, STEPS / floor_s
    row = {"name": "replay/steps_per_s", "value": value, "unit": "steps/s", "floor": floor, "ratio": floor / value}
    return {
        "rows": [row],
        "steps": STEPS,
        "traceLines": trace_lines,
        "runs": RUNS,
        "replayMedianMs": replay_s * 1000,
        "oneStepMedianMs": floor_s * 1000,
        "perStepUs": (replay_s - floor_s) / (STEPS - 1) * 1e6,
    }


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
