#!/usr/bin/env bash
# Two runs of scripts/wine-run at the same time must both end with their own program's
# exit code. The first run's program waits until the second run has finished and cleaned
# up, so their lifetimes overlap however slow the machine is. Checked for runs on virtual
# screens of their own and for runs sharing the caller's display.
#   side_by_side_test.sh SCRIPTS_FOLDER WAITING_PROGRAM
set -u
scripts=$1
program=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-side-by-side.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

# check NAME EXPECTED ACTUAL
check() {
  if [ "$2" = "$3" ]; then
    echo "  $1: exit code $3, as expected"
  else
    echo "  $1: exit code $3, expected $2" >&2
    failures=$((failures + 1))
  fi
}

# side_by_side LABEL ENV...: the environment changes apply to both runs.
side_by_side() {
  local label=$1
  shift
  local started="$work/$label.started" release="$work/$label.release"
  echo "$label:"
  env "$@" "$scripts/wine-run" "$program" 7 "$(windows_path "$started")" \
    "$(windows_path "$release")" &
  local first=$!
  for _ in $(seq 1200); do
    [ -e "$started" ] && break
    kill -0 "$first" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -e "$started" ]; then
    echo "  the first run's program did not start" >&2
    failures=$((failures + 1))
  fi
  env "$@" "$scripts/wine-run" "$program" 3
  check "second run" 3 $?
  touch "$release"
  wait "$first"
  check "first run, still running while the second ended" 7 $?
}

side_by_side own-screens -u DISPLAY -u TARNWICK_WINE_SESSION
if [ -n "${DISPLAY:-}" ]; then
  side_by_side shared-display -u TARNWICK_WINE_SESSION
fi
[ "$failures" -eq 0 ]
