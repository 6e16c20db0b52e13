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

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "windows"
TARGETS = ["orbl3", "orbl_e2e", "orbl_win32_tests"]


def windows_faults(path):
    """(id, file, description, old lines, new lines) of each '# windows' block."""
    faults, current, marked = [], None, False
    for raw in path.read_text(encoding="utf-8").splitlines():
        if raw.strip() == "# windows":
            marked = True
        elif raw.startswith("@@"):
            head, _, description = raw[2:].partition("|")
            fault_id, file = head.split()
            current = [fault_id, file, description.strip(), [], []] if marked else None
            if current:
                faults.append(current)
            marked = False
        elif current and raw.startswith("-"):
            current[3].append(raw[1:])
        elif current and raw.startswith("+"):
            current[4].append(raw[1:])
    return faults


def plant(text, old, new):
    lines = text.split("\n")
    for i in range(len(lines) - len(old) + 1):
        if lines[i:i + len(old)] == old:
            return "\n".join(lines[:i] + new + lines[i + len(old):])
    return None


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
    for fault_id, file, description, old, new in windows_faults(pathlib.Path(sys.argv[1])):
        if wanted and fault_id not in wanted:
            continue
        source = ROOT / file
        original = source.read_bytes()
        planted = plant(original.decode("utf-8"), old, new)
        if planted is None:
            print(f"{fault_id}\tdoes not apply\t{description}", flush=True)
            continue
        try:
            source.write_bytes(planted.encode("utf-8"))
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
            source.write_bytes(original)
    subprocess.run(["cmake", "--build", "--preset", "windows", "--target"] + TARGETS, cwd=ROOT,
                   capture_output=True)
    print(f"{caught} of {total} caught")


if __name__ == "__main__":
    main()
