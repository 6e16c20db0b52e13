#!/usr/bin/env python3
"""Runs clang-tidy (configured by the repository's .clang-tidy) over the product sources.

    scripts/tidy.py [-j N] [--report FILE] BUILD_DIR...

Each BUILD_DIR is a configured build with a compile_commands.json. The product sources
(app/ drives/ settings/ language/ ui/ platform/, not tests/) are taken from the first build
that compiles them, so `build/default build/windows` analyses the core and the sim as
the host compiles them and adds only the Win32 backend from the MinGW build. For a
MinGW build, clang is told the target and given MinGW's libstdc++ headers, which it
does not find on its own next to the -posix compilers.

A header's finding is reported once, however many files include it. Prints the
findings and a count per check; exits 1 if there is any. --report writes the count
per check with a few example locations.
"""

import argparse
import collections
import concurrent.futures
import json
import os
import re
import shlex
import shutil
import subprocess
import sys

PRODUCT_DIRS = ("app/", "drives/", "settings/", "language/", "ui/", "platform/")
DIAGNOSTIC = re.compile(r"^(?P<file>[^\s:][^:]*):(?P<line>\d+):(?P<col>\d+): "
                        r"(?P<kind>warning|error|note): (?P<message>.*?)"
                        r"(?: \[(?P<checks>[^\]]+)\])?$")


def find_clang_tidy():
    for name in (os.environ.get("CLANG_TIDY"), "clang-tidy-14", "clang-tidy"):
        if name and shutil.which(name):
            return name
    sys.exit("clang-tidy not found (scripts/setup-host.sh installs it)")


def compile_arguments(entry):
    if "arguments" in entry:
        return entry["arguments"]
    return shlex.split(entry["command"])


def mingw_extra_args(compiler):
    """The target and the libstdc++ folders of a MinGW-w64 cross compiler."""
    target = re.search(r"([a-z0-9_]+-w64-mingw32)", os.path.basename(compiler)).group(1)
    out = subprocess.run([compiler, "-xc++", "-E", "-v", "-"], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, check=True).stderr
    search = out.split("#include <...> search starts here:")[1].split("End of search list.")[0]
    dirs = [d.strip() for d in search.splitlines() if "/c++" in d]
    return [f"--target={target}"] + [f"-isystem{os.path.normpath(d)}" for d in dirs]


def collect_jobs(root, build_dirs):
    """(source file, build dir, extra clang arguments) for each product source."""
    jobs, seen = [], set()
    for build in build_dirs:
        db_path = os.path.join(build, "compile_commands.json")
        if not os.path.isfile(db_path):
            sys.exit(f"{db_path} is missing: configure that build first")
        with open(db_path, encoding="utf-8") as f:
            entries = json.load(f)
        extra_by_compiler = {}
        for entry in entries:
            source = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
            rel = os.path.relpath(source, root)
            if not rel.startswith(PRODUCT_DIRS) or not rel.endswith(".cpp") or rel in seen:
                continue
            seen.add(rel)
            compiler = compile_arguments(entry)[0]
            if compiler not in extra_by_compiler:
                extra = ["-Wno-unknown-warning-option"]  # gcc-only flags in the commands
                if "-w64-mingw32" in os.path.basename(compiler):
                    extra += mingw_extra_args(compiler)
                extra_by_compiler[compiler] = extra
            jobs.append((rel, build, extra_by_compiler[compiler]))
    # The biggest files first, so that no long one starts last and runs alone.
    jobs.sort(key=lambda job: os.path.getsize(os.path.join(root, job[0])), reverse=True)
    return jobs


def run_one(clang_tidy, root, job):
    rel, build, extra = job
    cmd = [clang_tidy, "--quiet", "-p", build] + [f"--extra-arg={a}" for a in extra] + [rel]
    proc = subprocess.run(cmd, cwd=root, capture_output=True, text=True)
    return rel, proc.returncode, proc.stdout, proc.stderr


def parse(root, output):
    """Findings as (key, check, location, text block); notes stay with their finding."""
    findings, current = [], None
    for line in output.splitlines():
        m = DIAGNOSTIC.match(line)
        if m and m.group("kind") != "note":
            path = os.path.relpath(os.path.normpath(os.path.join(root, m.group("file"))), root)
            checks = (m.group("checks") or "clang-diagnostic").replace(",-warnings-as-errors", "")
            location = f"{path}:{m.group('line')}:{m.group('col')}"
            text = f"{location}: {m.group('kind')}: {m.group('message')} [{checks}]"
            current = [(location, m.group("message")), checks, location, [text]]
            findings.append(current)
        elif current is not None and not line.startswith("Suppressed "):
            current[3].append(line)
    return findings


def source_order(item):
    path, line, col = item[0][0].rsplit(":", 2)
    return path, int(line), int(col)


def pick_examples(found, wanted=3):
    """A few locations, from different files where there are some."""
    picked, files = [], set()
    for location, message in found:
        if location.split(":")[0] not in files and len(picked) < wanted:
            picked.append((location, message))
            files.add(location.split(":")[0])
    for item in found:
        if len(picked) >= wanted:
            break
        if item not in picked:
            picked.append(item)
    return picked


def write_report(path, counts, examples, files):
    with open(path, "w", encoding="utf-8") as f:
        total = sum(counts.values())
        f.write(f"clang-tidy over {len(files)} product source files (and the project headers "
                f"they include): {total} findings in {len(counts)} checks.\n")
        f.write("Files: " + " ".join(sorted(files)) + "\n\n")
        for check, count in counts.most_common():
            f.write(f"{check}: {count}\n")
            for location, message in examples[check]:
                f.write(f"    {location}: {message}\n")
            f.write("\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dirs", nargs="+")
    parser.add_argument("-j", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--report")
    args = parser.parse_args()

    root = os.path.realpath(subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                                           capture_output=True, text=True).stdout.strip())
    clang_tidy = find_clang_tidy()
    jobs = collect_jobs(root, [os.path.abspath(b) for b in args.build_dirs])
    if not jobs:
        sys.exit("no product sources in the given builds")

    findings, failed = {}, []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.j)) as pool:
        for rel, rc, out, err in pool.map(lambda j: run_one(clang_tidy, root, j), jobs):
            parsed = parse(root, out)
            for key, check, location, block in parsed:
                findings.setdefault(key, (check, location, block))
            if rc != 0 and not parsed:
                failed.append(rel)
                print(f"clang-tidy failed on {rel}:\n{out}{err}", file=sys.stderr)

    by_check = collections.defaultdict(list)
    for (location, message), (check, _, block) in sorted(findings.items(), key=source_order):
        print("\n".join(block))
        # A finding reported under two aliases (magic numbers, C arrays) counts once.
        by_check[check].append((location, message))
    counts = collections.Counter({name: len(found) for name, found in by_check.items()})
    examples = {name: pick_examples(found) for name, found in by_check.items()}

    if args.report:
        write_report(args.report, counts, examples, [j[0] for j in jobs])
    summary = ", ".join(f"{check} {count}" for check, count in counts.most_common())
    print(f"clang-tidy: {len(jobs)} files, {len(findings)} findings" +
          (f": {summary}" if summary else ""))
    return 1 if findings or failed else 0


if __name__ == "__main__":
    sys.exit(main())
