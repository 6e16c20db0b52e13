#!/usr/bin/env bash
# Prints the non-blank lines of the product (the core's folders and the
# platform backends, sim and Windows included) and of everything under tests/
# (sources, scripts, fixtures, scenario files), and the tests' share of the
# product. Every text file git knows of or would add counts; pictures and
# other binary files do not. The tests are meant to stay at most 35 % of the
# product; the figure is printed, not enforced.
#   scripts/count-lines.sh        one line: tests / product = ratio
#   scripts/count-lines.sh -v     the same, each folder's count first
set -euo pipefail
cd "$(dirname "$0")/.."

readonly kTargetPercent=35
readonly kProductDirs=(app drives settings language ui platform)

# Non-blank lines of the text files under the given folders.
count() {
  git ls-files -z --cached --others --exclude-standard -- "$@" |
    xargs -0 -r grep -I -c -v '^[[:space:]]*$' -- /dev/null |
    awk -F: '{ sum += $NF } END { print sum + 0 }'
}

# 12345 -> 12,345
grouped() {
  local n=$1 out=""
  while [ "${#n}" -gt 3 ]; do
    out=",${n: -3}$out"
    n=${n:0:${#n}-3}
  done
  echo "$n$out"
}

if [ "${1:-}" = "-v" ]; then
  for dir in "${kProductDirs[@]}" tests; do
    printf '%-9s %7s\n' "$dir" "$(grouped "$(count "$dir")")"
  done
fi

product=$(count "${kProductDirs[@]}")
tests=$(count tests)
percent=$(((tests * 100 + product / 2) / product))
echo "tests $(grouped "$tests") / product $(grouped "$product") = $percent %" \
  "(target at most $kTargetPercent %)"
# The planted-fault score the tests reached when last measured.
grep -h '^# Score:' mutation/issue19-faults.txt | sed 's/^# //'
