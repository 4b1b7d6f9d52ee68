# shellcheck shell=bash disable=SC2154
# Sourced by the set-up scripts: one line per step, the step's whole output
# appended to $log, and the end of that log when a step fails.
# Needs: log (the log file's path) and who (the script's name, for messages).

# The end of the log after a step failed, then stop.
failed() {
  echo "$who: $1 failed; the end of $log:" >&2
  tail -n 30 "$log" >&2
  exit 1
}

# One step: one line, its output appended to the log.
step() {
  local what=$1
  shift
  echo "$who: $what (log: $log)"
  "$@" >>"$log" 2>&1 || failed "$what"
}
