#!/usr/bin/env python3
"""Plants faults in the parsers one at a time and fuzzes each with its parser.

mutate.py's lists and rules (one '@@ ID file | description' block per fault),
but the check is the fuzzing program, not the host tests: each fault is built
into the `fuzz` preset and the parser named before the first ':' of its
description runs for up to --seconds. A run that fails caught the fault. Every
file is restored byte for byte; rebuild the fuzz preset afterwards.

    scripts/fuzz-faults.py mutation/lean-fuzz-faults.txt [--only F1,F7] [--seconds 90]
"""

import argparse
import os
import subprocess
import tempfile
import time

from faultlist import mutate

ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
ap.add_argument("list")
ap.add_argument("--only", default="")
ap.add_argument("--seconds", type=int, default=90)
args = ap.parse_args()
repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
only = set(filter(None, args.only.split(",")))
caught = total = 0
for m in mutate.parse(args.list):
    if only and m["id"] not in only:
        continue
    original, mutated, _ = mutate.locate(repo, m)
    path = os.path.join(repo, m["file"])
    try:
        with open(path, "w", newline="") as f:
            f.write(mutated)
        build = subprocess.run(["cmake", "--build", "--preset", "fuzz"], cwd=repo, capture_output=True)
        if build.returncode != 0:
            print(f"{m['id']}\tBUILD_FAIL\t{m['desc']}", flush=True)
            continue
        with tempfile.TemporaryDirectory() as corpus:
            start = time.time()
            run = subprocess.run(
                ["build/fuzz/tests/fuzz/orbl_fuzz", corpus, f"-max_total_time={args.seconds}",
                 "-max_len=512", f"-artifact_prefix={corpus}/"],
                cwd=repo, capture_output=True, text=True,
                env=dict(os.environ, ORBL_FUZZ_PARSER=m["desc"].split(":")[0].strip()))
        total += 1
        caught += run.returncode != 0
        verdict = "KILLED" if run.returncode != 0 else "SURVIVED"
        print(f"{m['id']}\t{verdict}\t{time.time() - start:.0f}s\t{m['desc']}", flush=True)
    finally:
        with open(path, "w", newline="") as f:
            f.write(original)
print(f"caught {caught} of {total}")
