# Measures a running program for scripts/bench.sh and scripts/bench-linux.sh,
# which source this file. They define record RUN SUBJECT METRIC VALUE, fail,
# $out (the raw figures' folder), $idle (seconds) and lpid (each subject's
# Linux process id).

# Context switches of every thread of the process so far.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { print n + 0 }'
}

sample_memory() {  # RUN SUBJECT
  local pid=${lpid[$2]}
  record "$1" "$2" uss_kib "$(awk '/^Private_(Clean|Dirty):/ { n += $2 } END { print n }' \
    /proc/"$pid"/smaps_rollup)"
  record "$1" "$2" rss_kib "$(awk '/^Rss:/ { print $2 }' /proc/"$pid"/smaps_rollup)"
  record "$1" "$2" threads "$(awk '/^Threads:/ { print $2 }' /proc/"$pid"/status)"
  # What the process has loaded, to explain its memory.
  awk '$6 ~ /\.(dll|so[.0-9]*|drv|exe)$/ { print $6 }' /proc/"$pid"/maps | sort -u >"$out/modules-$2.txt"
}

# Idle activity of the given subjects side by side: context switches over one
# window untouched, then system calls over a second window under strace
# (whose stops would count as context switches). Under Wine the wineserver's
# side of each request is not counted: it is another process.
idle_windows() {  # RUN SUFFIX SUBJECT...
  local run=$1 suffix=$2 s
  shift 2
  declare -A before
  for s in "$@"; do before[$s]=$(switches "${lpid[$s]}"); done
  sleep "$idle"
  for s in "$@"; do record "$run" "$s" "ctxt$suffix" $(($(switches "${lpid[$s]}") - ${before[$s]})); done
  local tracers=()
  for s in "$@"; do
    timeout -s INT "$idle" strace -c -f -p "${lpid[$s]}" -o "$out/strace-$run-$s$suffix.txt" \
      2>"$out/strace-$run-$s$suffix.log" &
    tracers+=($!)
  done
  wait "${tracers[@]}"
  # A process that made no call leaves strace's table empty.
  for s in "$@"; do
    grep -q attached "$out/strace-$run-$s$suffix.log" ||
      fail "strace could not attach to $s: $(cat "$out/strace-$run-$s$suffix.log")"
    record "$run" "$s" "syscalls$suffix" \
      "$(awk '$NF == "total" { n = $3 } END { print n + 0 }' "$out/strace-$run-$s$suffix.txt")"
  done
}
