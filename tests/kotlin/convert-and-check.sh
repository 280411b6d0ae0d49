#!/usr/bin/env bash
# convert-and-check.sh <tovrane> <example project> <work folder>
# Converts one example into <work folder>/<example name> (replacing an earlier
# result) and runs compile-check on it; its report is also kept as
# <work folder>/<example name>.compile-check for the test run's summary.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tovrane="$1" example="$2" work="$3"
output="$work/$(basename "$example")"
rm -rf "$output" "$output.compile-check"
mkdir -p "$work"
"$tovrane" convert "$example" --out "$output" >/dev/null
"$here/compile-check" "$output" | tee "$output.compile-check"
