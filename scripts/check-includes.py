#!/usr/bin/env python3
"""Keeps operating-system and toolkit headers inside the native backends.

Outside the native backends (and the e2e harness, which drives the real program
under Wine), an angle-bracket include may name only a C++20 standard library
header, or a GoogleTest/GoogleMock header in tests/. An allowlist rather than a
list of forbidden headers: <Windows.h>, <QApplication> or <sys/ioctl.h> are
caught without anyone having thought of them first.

Everywhere, a quoted include must name a file of this repository: relative to
the root, to the including file, or (under tests/) to tests/, which the test
targets put on their include path.

The core's folders are layers, each including only its own folder and the
layers below it: platform <- language, settings <- drives <- ui <- app. The
simulation and the native backends include only platform/; the program entries
(platform/*/main_*.cpp) start the program and so may include app/.

Outside platform/ and tests/, no code catches every exception: the simulation
ends a process by throwing through the program, and a catch-all would swallow
that end.

No source file of the product (the layers' folders, the backends included)
is longer than 600 lines: past that, a file holds more than one thing and
should be split where its parts meet.

Prints every offending line as file:line: text and exits 1 if there is one.
Usage: scripts/check-includes.py [files...]   (default: every C++ file in git,
untracked ones included)
"""

import os
import re
import subprocess
import sys

# Folders that talk to the OS or a toolkit by design, with their tests, and
# the benchmark's native programs. The simulation and the platform interfaces
# are portable and stay under the allowlist.
NATIVE_DIRS = ("platform/win32/", "platform/linux/", "platform/qt/", "tests/e2e/", "tests/linux/",
               "tests/qt/", "bench/bare_tray", "bench/bench_probe")

# The C++20 standard library. Left out on purpose: the <foo.h> forms of the C
# headers (an allowlist entry ending in .h would invite <unistd.h>), the five C
# headers C++20 removed (<ccomplex> <ciso646> <cstdalign> <cstdbool> <ctgmath>),
# and the deprecated <codecvt> and <strstream>.
STD_HEADERS = frozenset("""
    algorithm any array atomic barrier bit bitset charconv chrono compare complex
    concepts condition_variable coroutine deque exception execution filesystem
    format forward_list fstream functional future initializer_list iomanip ios
    iosfwd iostream istream iterator latch limits list locale map memory
    memory_resource mutex new numbers numeric optional ostream queue random ranges
    ratio regex scoped_allocator semaphore set shared_mutex source_location span
    sstream stack stdexcept stop_token streambuf string string_view syncstream
    system_error thread tuple type_traits typeindex typeinfo unordered_map
    unordered_set utility valarray variant vector version
    cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp
    csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
    cwctype
""".split())

# Rank of each layer; a folder may include its own and those of lower rank.
LAYERS = {"platform": 0, "language": 1, "settings": 1, "drives": 2, "ui": 3, "app": 4}
MAX_PRODUCT_LINES = 600
CATCH_ALL = re.compile(r"\bcatch\s*\(\s*\.\.\.\s*\)")


def layer_of(rel_file):
    top = rel_file.split("/", 1)[0]
    if top not in LAYERS:
        return None
    if top == "platform" and re.fullmatch(r"platform/[a-z0-9]+/main_[a-z0-9]+\.cpp", rel_file):
        return None  # a program entry
    return top


def climbs(rel_file, name):
    """Why the quoted include `name` from `rel_file` breaks the layers, or None."""
    layer = layer_of(rel_file)
    target = name.split("/", 1)[0]
    if layer is None or "/" not in name or target not in LAYERS or target == layer:
        return None
    if LAYERS[target] < LAYERS[layer]:
        return None
    return f"{layer}/ may not include {target}/: the layers are platform <- language, " \
           "settings <- drives <- ui <- app"


TEST_HEADER = re.compile(r"(gtest|gmock)/[A-Za-z0-9_\-/]+\.h")
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:<([^>]*)>|"([^"]*)"|(.*))')
SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx", ".h", ".hh", ".hpp", ".hxx", ".inl", ".ipp")


def repo_files(root):
    out = subprocess.run(
        ["git", "ls-files", "--cached", "--others", "--exclude-standard", "-z"],
        cwd=root, check=True, capture_output=True, text=True).stdout
    return [f for f in out.split("\0") if f.endswith(SOURCE_SUFFIXES)]


def quoted_exists(root, rel_file, name):
    bases = [root, os.path.join(root, os.path.dirname(rel_file))]
    if rel_file.startswith("tests/"):
        bases.append(os.path.join(root, "tests"))
    for base in bases:
        path = os.path.normpath(os.path.join(base, name))
        # A name that climbs out of the repository is no project file.
        if path.startswith(root + os.sep) and os.path.isfile(path):
            return True
    return False


def check(root, rel_file):
    native = rel_file.startswith(NATIVE_DIRS)
    in_tests = rel_file.startswith("tests/")
    problems = []
    with open(os.path.join(root, rel_file), encoding="utf-8", errors="replace") as f:
        number = 0
        for number, line in enumerate(f, 1):
            if not rel_file.startswith(("platform/", "tests/")) and CATCH_ALL.search(line):
                problems.append(f"{rel_file}:{number}: {line.strip()}    (a catch-all outside "
                                "platform/ would swallow the simulation's end of a process)")
            m = INCLUDE.match(line)
            if not m:
                continue
            angled, quoted, other = m.groups()
            if angled is not None:
                name = angled.strip()
                if native or name in STD_HEADERS or (in_tests and TEST_HEADER.fullmatch(name)):
                    continue
                why = "not a C++ standard header" + ("" if not in_tests else " or gtest/gmock")
            elif quoted is not None:
                if not quoted_exists(root, rel_file, quoted):
                    why = "no such file in the repository"
                else:
                    why = climbs(rel_file, quoted)
                    if why is None:
                        continue
            else:
                # #include MACRO: nothing to check against, so not allowed.
                why = "include of a macro"
            problems.append(f"{rel_file}:{number}: {line.strip()}    ({why})")
    if rel_file.split("/", 1)[0] in LAYERS and number > MAX_PRODUCT_LINES:
        problems.append(f"{rel_file}:{number}: {number} lines    (a product file has at most "
                        f"{MAX_PRODUCT_LINES}: split it where its parts meet)")
    return problems


def main():
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                          capture_output=True, text=True).stdout.strip()
    root = os.path.realpath(root)
    if len(sys.argv) > 1:
        files = [os.path.relpath(os.path.realpath(f), root) for f in sys.argv[1:]]
    else:
        files = repo_files(root)
    problems = [p for f in sorted(files) for p in check(root, f)]
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s): OS and toolkit headers belong in "
              f"{', '.join(NATIVE_DIRS)}; includes follow the layers; product files stay "
              f"within {MAX_PRODUCT_LINES} lines", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
