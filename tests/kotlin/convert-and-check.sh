#!/usr/bin/env bash
# convert-and-check.sh [--no-placeholders] <tovrane> <example project> <work folder>
# Converts one example into <work folder>/<example name> (replacing an earlier
# result) and runs compile-check on it; its report is also kept as
# <work folder>/<example name>.compile-check for the test run's summary.
# With --no-placeholders a placeholder in the converted code fails it too.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
placeholders=allowed
if [ "${1:-}" = --no-placeholders ]; then
  placeholders=none
  shift
fi
tovrane="$1" example="$2" work="$3"
output="$work/$(basename "$example")"
rm -rf "$output" "$output.compile-check"
mkdir -p "$work"
"$tovrane" convert "$example" --out "$output" >/dev/null
"$here/compile-check" "$output" | tee "$output.compile-check"
if [ "$placeholders" = none ] && ! grep -qE '^compile-check: .*, 0 placeholders, ' "$output.compile-check"; then
  echo "convert-and-check: $(basename "$example") was converted with placeholders" >&2
  exit 1
fi
