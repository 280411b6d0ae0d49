#!/usr/bin/env bash
# Compiles the Android stubs, the runtime library and the given Kotlin sources
# (files or folders) in one compiler run. Prints every error as
# file:line:column and fails when there is one, or when the runtime itself
# draws a warning (its sources must stay clean).
# A small AssetCatalog.kt stands in for the project writer's unless one is given.
# With --run CLASS first, the compiled main class CLASS is run afterwards and
# its exit status decides.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/compiler.sh"
requireKotlin kotlin-check

runClass=""
if [ "${1:-}" = --run ]; then
  runClass="$2"
  shift 2
fi

sources=("$root/core/resources/runtime/SwiftStdlib.kt" "$root/core/resources/runtime/SwiftUI.kt")
while IFS= read -r -d '' stub; do sources+=("$stub"); done < <(androidStubs)
given=()
for arg in "$@"; do
  if [ -d "$arg" ]; then
    while IFS= read -r -d '' file; do given+=("$file"); done \
      < <(find "$(realpath "$arg")" -name '*.kt' -print0 | sort -z)
  else
    given+=("$(realpath "$arg")")
  fi
done
hasCatalog=no
for file in "${given[@]+"${given[@]}"}"; do
  [ "$(basename "$file")" = AssetCatalog.kt ] && hasCatalog=yes
done
[ "$hasCatalog" = yes ] || sources+=("$here/AssetCatalog.kt")
sources+=("${given[@]+"${given[@]}"}")

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
status=0
compileKotlin "$out/classes" "$out/log" "${sources[@]}" || status=$?

errors="$(grep -c ': error: ' "$out/log" || true)"
runtimeWarnings="$(grep -E '/core/resources/runtime/[^:]+:[0-9]+:[0-9]+: warning: ' "$out/log" || true)"
grep -E ': (error|warning): |^error: |^exception: ' "$out/log" | sed "s|$root/||" || true
if [ "$status" -ne 0 ] || [ "$errors" -ne 0 ]; then
  echo "kotlin-check: $errors error(s), compiler exit $status, ${#sources[@]} files" >&2
  [ "$errors" -ne 0 ] || cat "$out/log" >&2
  exit 1
fi
if [ -n "$runtimeWarnings" ]; then
  echo "kotlin-check: the runtime draws warnings" >&2
  exit 1
fi
echo "kotlin-check: ${#sources[@]} files compiled without errors"
if [ -n "$runClass" ]; then
  java -cp "$out/classes:$(kotlinLibraryPath)" "$runClass"
fi
