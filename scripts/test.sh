#!/usr/bin/env bash
# Runs every test: the format and include checks, the host build with all
# tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer and under
# ThreadSanitizer, the native Linux program and its package, clang-tidy, a short fuzzing run, the Windows program end
# to end under Wine, and one short pass of the benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh

# The tests' size against the product's, shown on every run; not yet a reason
# to fail it.
echo "== lines"
scripts/count-lines.sh

echo "== format check"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# Outside the native backends, only the standard library, GoogleTest in tests/
# and the project's own files; includes that follow the layers; no product
# file over 600 lines.
echo "== include check"
scripts/check-includes.py

for preset in default asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# The native Linux program: its program folder, the Qt backend's tests (each
# starts a private display, bus or sound server of its own) and the package.
echo "== linux"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

# Findings do not stop the run: the tests after this still report, and the
# command fails at its end.
echo "== clang-tidy"
tidy_builds=(build/default build/linux)
if [ -x scripts/test-windows.sh ]; then
  # The Win32 backend is analysed as the MinGW build compiles it.
  scripts/test-windows.sh --setup-only
  cmake --preset windows >/dev/null
  tidy_builds+=(build/windows)
fi
tidy_failed=0
scripts/tidy.py "${tidy_builds[@]}" || tidy_failed=1

# Short fuzzing runs over the outside input that is parsed: stored values,
# device broadcasts, commands handed to the running program, and language
# files (the reader alone, the texts and key
# names made from them, and the whole language step of a simulated program).
# Long enough to catch a regression in the parsers, short enough for every
# push: the one fuzzing program runs once per parser, the six side by side
# for 20 s. Each log is shown whole when it finds something, else only its
# last line.
if command -v clang++ >/dev/null; then
  echo "== fuzz"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  mkdir -p build/fuzz/artifacts
  parsers=(settings broadcast ini language apply_language command)
  pids=()
  for parser in "${parsers[@]}"; do
    ORBL_FUZZ_PARSER=$parser build/fuzz/tests/fuzz/orbl_fuzz -max_total_time=20 -max_len=512 \
      -print_final_stats=0 -artifact_prefix="build/fuzz/artifacts/$parser-" \
      >"build/fuzz/$parser.log" 2>&1 &
    pids+=($!)
  done
  fuzz_failed=0
  for i in "${!parsers[@]}"; do
    parser=${parsers[$i]}
    if wait "${pids[$i]}"; then
      echo "$parser: $(tail -n 1 "build/fuzz/$parser.log")"
    else
      cat "build/fuzz/$parser.log"
      echo "fuzzing $parser failed; the input is in build/fuzz/artifacts/$parser-*, replayed by" \
        "ORBL_FUZZ_PARSER=$parser build/fuzz/tests/fuzz/orbl_fuzz FILE" >&2
      fuzz_failed=1
    fi
  done
  [ "$fuzz_failed" -eq 0 ] || exit 1
fi

if [ -x scripts/test-windows.sh ]; then
  echo "== windows"
  scripts/test-windows.sh
fi

# One short pass of the benchmark, so that the script keeps working; its
# figures are not checked (a busy machine would fail them), only its steps.
echo "== benchmark (short)"
scripts/bench.sh --short
scripts/bench.sh --linux --short

if [ "$tidy_failed" -ne 0 ]; then
  echo "clang-tidy reported findings (above)" >&2
  exit 1
fi
