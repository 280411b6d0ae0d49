#!/usr/bin/env bash
# compile-check-test.sh <tovrane> <work folder>
# The compile check must fail on a converted project with one error in it,
# name the file and line, and count the file's placeholder and error.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tovrane="$1" work="$2"
output="$work/BrokenCounter"
rm -rf "$output"
mkdir -p "$work"
"$tovrane" convert "$here/../../examples/Counter" --out "$output" >/dev/null
cp "$here/fixtures/Broken.kt" "$output/app/src/main/java/com/example/counter/Broken.kt"

status=0
report="$("$here/compile-check" "$output" 2>&1)" || status=$?
echo "$report"
fail() { echo "compile-check-test: $1" >&2; exit 1; }
[ "$status" -eq 1 ] || fail "expected exit status 1, got $status"
grep -qE '^app/src/main/java/com/example/counter/Broken\.kt:10: .*mismatch' <<<"$report" ||
  fail "no error line for Broken.kt:10"
grep -qxF '  com/example/counter/Broken.kt: 1 placeholders, 1 errors' <<<"$report" ||
  fail "wrong figures for Broken.kt"
grep -qxE 'compile-check: BrokenCounter: [0-9]+ files, 1 placeholders, 1 errors' <<<"$report" ||
  fail "wrong summary line"
echo "compile-check-test: the broken project was caught"
