#!/usr/bin/env python3
"""Plants the Windows backend's faults of a fault list one at a time and runs
the Windows tests under Wine against each: the backend's own tests, then the
scenarios tagged wine. The host fault tool builds only the host preset, so the
faults marked with a line "# windows" before their block are planted here.

    scripts/plant-windows-faults.py mutation/issue19-faults.txt [ID ...]

Needs a configured windows preset. Each file is restored byte for byte, whatever
happens. Prints one line per fault: caught (and by which case), survived, or
does not build.
"""

import pathlib
import subprocess
import sys

from faultlist import mutate, windows_ids

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "windows"
TARGETS = ["orbl3", "orbl_e2e", "orbl_win32_tests"]


def run_cases(cases):
    command = ["bash", str(ROOT / "tests/e2e/run_e2e.sh"), str(BUILD / "orbl3.exe"),
               str(BUILD / "tests/e2e/orbl_e2e.exe"), str(BUILD / "tests/e2e/orbl_win32_tests.exe")]
    return subprocess.run(command + cases, cwd=ROOT, capture_output=True, text=True).returncode


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    wanted = set(sys.argv[2:])
    scenarios = sorted(p.name for p in (ROOT / "tests/scenarios").glob("*.txt")
                       if p.name != "CMakeLists.txt")
    caught = total = 0
    marked = windows_ids(sys.argv[1])
    for fault in mutate.parse(sys.argv[1]):
        fault_id, description = fault["id"], fault["desc"]
        if fault_id not in marked or (wanted and fault_id not in wanted):
            continue
        source = ROOT / fault["file"]
        try:
            original, planted, _ = mutate.locate(str(ROOT), fault)
        except ValueError as error:  # the old lines are not found once, as whole lines
            print(f"{fault_id}\tdoes not apply ({error})\t{description}", flush=True)
            continue
        try:
            source.write_text(planted, encoding="utf-8", newline="")
            built = subprocess.run(["cmake", "--build", "--preset", "windows", "--target"] + TARGETS,
                                   cwd=ROOT, capture_output=True).returncode == 0
            if not built:
                print(f"{fault_id}\tdoes not build\t{description}", flush=True)
                continue
            total += 1
            by = next((case for case in (["unit"], scenarios) if run_cases(case) != 0), None)
            caught += by is not None
            result = f"caught by {'unit' if by == ['unit'] else 'the scenarios'}" if by else "SURVIVED"
            print(f"{fault_id}\t{result}\t{description}", flush=True)
        finally:
            source.write_text(original, encoding="utf-8", newline="")
    subprocess.run(["cmake", "--build", "--preset", "windows", "--target"] + TARGETS, cwd=ROOT,
                   capture_output=True)
    print(f"{caught} of {total} caught")


if __name__ == "__main__":
    main()
