# shellcheck shell=bash
# within COMMAND...: runs COMMAND every tenth of a second until it succeeds,
# for up to ten seconds; fails if it never does. For what a program brings
# about in its own time.
within() {
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
