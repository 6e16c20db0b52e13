#!/usr/bin/env python3
"""Checks that orbl3.exe starts on the oldest Windows it claims: Windows 10
version 1607 (build 14393).

    check_imports.py OBJDUMP PROGRAM DELAY_DEF

OBJDUMP is MinGW's objdump, PROGRAM orbl3.exe, DELAY_DEF the .def file of the
functions taken through the delay-load table (the loader only resolves those
at their first call, so objdump's import listing does not show them).

A function the loader cannot find stops the program before its first line
("entry point not found"). What this guarantees:
- no function in LATER_THAN_1607 is imported or delay-loaded;
- every imported function whose name says DPI (the family Windows 10 grew
  build by build) is in one of the two tables, so a new one gets looked up
  before it ships;
- every library the program imports from is in LIBRARIES: a new one needs its
  functions' Windows versions checked first;
- a function of LATER_THAN_1607 whose name the program holds as text (for
  GetProcAddress) is listed in RUN_TIME_ONLY, where the code copes with its
  absence.
It does not know the minimum Windows of every function: functions outside the
tables and the DPI family are taken to be as old as Windows 7, which is true
of everything the program imports today. Exit code 0 when the program passes.
"""
import re
import subprocess
import sys

# Functions new in Windows 10 up to 1607 that the program may import.
WINDOWS_10_1607 = {
    "AdjustWindowRectExForDpi": "1607",
    "AreDpiAwarenessContextsEqual": "1607",
    "EnableNonClientDpiScaling": "1607",
    "GetAwarenessFromDpiAwarenessContext": "1607",
    "GetDpiForSystem": "1607",
    "GetDpiForWindow": "1607",
    "GetSystemMetricsForDpi": "1607",
    "GetThreadDescription": "1607",
    "GetThreadDpiAwarenessContext": "1607",
    "GetWindowDpiAwarenessContext": "1607",
    "IsValidDpiAwarenessContext": "1607",
    "SetThreadDescription": "1607",
    "SetThreadDpiAwarenessContext": "1607",
    "SystemParametersInfoForDpi": "1607",
    # Older than Windows 10, named here because their names say DPI.
    "GetDpiForMonitor": "8.1",
    "GetDpiForShellUIComponent": "8.1",
    "GetProcessDpiAwareness": "8.1",
    "SetProcessDpiAwareness": "8.1",
    "LogicalToPhysicalPointForPerMonitorDPI": "8.1",
    "PhysicalToLogicalPointForPerMonitorDPI": "8.1",
    "SetProcessDPIAware": "Vista",
    "IsProcessDPIAware": "Vista",
}

# Functions a program of this kind could plausibly reach for that need a
# Windows later than 1607: never imported.
LATER_THAN_1607 = {
    "SetProcessDpiAwarenessContext": "10 1703",
    "GetDialogDpiChangeBehavior": "10 1703",
    "SetDialogDpiChangeBehavior": "10 1703",
    "GetDialogControlDpiChangeBehavior": "10 1703",
    "SetDialogControlDpiChangeBehavior": "10 1703",
    "OpenThemeDataForDpi": "10 1703",
    "GetDpiFromDpiAwarenessContext": "10 1803",
    "GetSystemDpiForProcess": "10 1803",
    "GetDpiAwarenessContextForProcess": "10 1803",
    "SetThreadDpiHostingBehavior": "10 1803",
    "GetThreadDpiHostingBehavior": "10 1803",
    "GetWindowDpiHostingBehavior": "10 1803",
    "VirtualAlloc2": "10 1803",
    "MapViewOfFile3": "10 1803",
    "IsWow64Process2": "10 1709",
    "CreatePseudoConsole": "10 1809",
    "GetTempPath2A": "11",
    "GetTempPath2W": "11",
    "GetMachineTypeAttributes": "11",
}

# Functions of LATER_THAN_1607 the program looks up with GetProcAddress and
# does without when they are missing. None today.
RUN_TIME_ONLY = {}

LIBRARIES = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
             "shell32.dll", "user32.dll"}


def imports_of(objdump, program):
    """(library, function) pairs of the program's import table."""
    listing = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                             text=True).stdout
    pairs = []
    library = None
    for line in listing.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            library = match.group(1).lower()
            continue
        match = re.match(r"\s+[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", line)
        if match and library:
            pairs.append((library, match.group(1)))
    if not pairs:
        raise SystemExit(f"no imports read from {program}: has objdump's listing changed?")
    return pairs


def delay_loaded(def_file):
    """(library, function) pairs named by a dlltool .def file."""
    pairs = []
    library = None
    exports = False
    with open(def_file, encoding="ascii") as text:
        for line in text:
            line = line.split(";", 1)[0].strip()
            if not line:
                continue
            if line.upper().startswith("LIBRARY"):
                library = line.split()[1].lower()
            elif line.upper() == "EXPORTS":
                exports = True
            elif exports:
                pairs.append((library, line.split()[0]))
    return pairs


def problems(pairs, program_bytes):
    found = []
    for library, function in pairs:
        if library not in LIBRARIES:
            found.append(f"{library} ({function}): a library not checked yet; look up the "
                         "Windows its functions need and add it to LIBRARIES")
        if function in LATER_THAN_1607:
            found.append(f"{function} needs Windows {LATER_THAN_1607[function]}; take it "
                         "through GetProcAddress with a fallback and list it in RUN_TIME_ONLY")
        elif "dpi" in function.lower() and function not in WINDOWS_10_1607:
            found.append(f"{function}: a DPI function of unknown Windows version; look it up "
                         "and add it to WINDOWS_10_1607 or LATER_THAN_1607")
    for function, version in LATER_THAN_1607.items():
        if function in RUN_TIME_ONLY:
            continue
        if b"\0" + function.encode() + b"\0" in program_bytes:
            found.append(f"{function} (Windows {version}) is named in the program: when it "
                         "is looked up at run time, list it in RUN_TIME_ONLY")
    return found


def check_the_checker():
    """The checker refuses what it exists to refuse."""
    fine = [("user32.dll", "GetDpiForWindow"), ("kernel32.dll", "CreateFileA")]
    cases = {
        "a later function": fine + [("user32.dll", "GetDpiFromDpiAwarenessContext")],
        "an unknown DPI function": fine + [("user32.dll", "GetSomethingForDpi")],
        "an unknown library": fine + [("shcore.dll", "GetScaleFactorForMonitor")],
    }
    failures = [name for name, pairs in cases.items() if not problems(pairs, b"")]
    if problems(fine, b""):
        failures.append("refused the functions of 1607 and older")
    if not problems(fine, b"\0SetThreadDpiHostingBehavior\0"):
        failures.append("missed a later function named for GetProcAddress")
    return failures


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    objdump, program, def_file = sys.argv[1:]
    failures = check_the_checker()
    if failures:
        print("the import check itself is broken: " + "; ".join(failures))
        return 1
    pairs = imports_of(objdump, program) + delay_loaded(def_file)
    with open(program, "rb") as image:
        found = problems(pairs, image.read())
    for problem in found:
        print("  " + problem)
    newer = sorted(f for _, f in pairs if f in WINDOWS_10_1607)
    print(f"{len(pairs)} imports; new in Windows 10 up to 1607: {', '.join(newer) or 'none'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
