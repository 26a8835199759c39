#!/usr/bin/env bash
# Runs one end-to-end case folder against the real binary and compares
# standard output, standard error and the exit status byte for byte.
#
# A case folder holds:
#   args     the command-line words after the program name, one per line
#   stdout   expected standard output (absent: must be empty)
#   stderr   expected standard error (absent: must be empty)
#   status   expected exit status (absent: 0)
#   stdout_to  optional: a path standard output is sent to instead (e.g. /dev/full)
#   fixture  optional: the name of a folder under fixtures/ whose files the
#            case shares with others; the case's own files take precedence
# and whatever files the arguments name, relative to the folder.
#
#   run_case.sh ORVANE CASE [JSON_VALIDATE SCHEMA]
#
# With a validator and a schema, the output of a successful run with --json
# must also conform to the schema.
set -u
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
case_dir=$(cd "$2" && pwd) || exit 2
fixtures=$(cd "$(dirname "$0")/fixtures" && pwd)
validate=()
if [ $# -ge 4 ]; then
  validate=("$(cd "$(dirname "$3")" && pwd)/$(basename "$3")" "$(cd "$(dirname "$4")" && pwd)/$(basename "$4")")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -f "$case_dir/fixture" ]; then
  cp -R "$fixtures/$(head -n 1 "$case_dir/fixture")/." "$work/" || exit 2
fi
cp -R "$case_dir/." "$work/"
cd "$work" || exit 2

args=()
if [ -f args ]; then
  mapfile -t args < args
fi
out=$work/.stdout.actual
err=$work/.stderr.actual

target=$out
[ -f stdout_to ] && target=$(head -n 1 stdout_to)
# The program names itself in its usage text; run it as plain "orvane".
(exec -a orvane "$bin" "${args[@]}") >"$target" 2>"$err" </dev/null
status=$?

expected_status=0
[ -f status ] && expected_status=$(tr -d '[:space:]' < status)

fail=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status: expected $expected_status, got $status"
  fail=1
fi
compare() {
  local name=$1 actual=$2
  if [ -f "$name" ]; then
    if ! cmp -s "$name" "$actual"; then
      echo "$name differs:"
      diff -u "$name" "$actual" | head -n 60
      fail=1
    fi
  elif [ -s "$actual" ]; then
    echo "$name expected empty, got:"
    head -c 3000 "$actual"
    fail=1
  fi
}
if [ ! -f stdout_to ]; then
  compare stdout "$out"
fi
compare stderr "$err"
if [ ${#validate[@]} -eq 2 ] && [ "$status" = 0 ] && [ ! -f stdout_to ] &&
  printf '%s\n' "${args[@]}" | grep -qx -- --json; then
  "${validate[@]}" "$out" || fail=1
fi
exit $fail
