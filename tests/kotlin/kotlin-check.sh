#!/usr/bin/env bash
# Compiles the Android stubs, the runtime library and the given Kotlin sources
# (files or folders) in one run of the Kotlin 2.1.0 compiler with the Compose
# plugin, against the desktop Compose libraries fetched by fetch-deps.sh.
# Prints every error as file:line:column and fails when there is one, or when
# the runtime itself draws a warning (its sources must stay clean).
# A small AssetCatalog.kt stands in for the project writer's unless one is given.
# With --run CLASS first, the compiled main class CLASS is run afterwards and
# its exit status decides.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tovrane/kotlin"

if [ ! -f "$cache/compiler/.stamp" ] || [ ! -f "$cache/classpath/.stamp" ]; then
  echo "kotlin-check: Kotlin artifacts missing in $cache; run scripts/setup" >&2
  exit 2
fi

runClass=""
if [ "${1:-}" = --run ]; then
  runClass="$2"
  shift 2
fi

sources=("$root/core/resources/runtime/SwiftStdlib.kt" "$root/core/resources/runtime/SwiftUI.kt")
while IFS= read -r -d '' stub; do sources+=("$stub"); done \
  < <(find "$here/android-stubs" -name '*.kt' -print0 | sort -z)
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

join() { local IFS=:; echo "$*"; }
compilerJars=("$cache"/compiler/*.jar)
# The old split parts of the standard library are empty shells next to 2.1.0.
libraryJars=()
for jar in "$cache"/classpath/*.jar; do
  case "$(basename "$jar")" in kotlin-stdlib-common-* | kotlin-stdlib-jdk*) ;; *) libraryJars+=("$jar") ;; esac
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
status=0
# From a neutral folder, so the compiler names every file by its absolute path.
cd "$out"
java -Xmx3g -Xss8m -cp "$(join "${compilerJars[@]}")" org.jetbrains.kotlin.cli.jvm.K2JVMCompiler \
  -no-stdlib -no-reflect -jvm-target 17 -language-version 2.1 -api-version 2.1 \
  -Xplugin="$(ls "$cache"/compiler/kotlin-compose-compiler-plugin-embeddable-*.jar)" \
  -cp "$(join "${libraryJars[@]}")" -d "$out/classes" "${sources[@]}" >"$out/log" 2>&1 || status=$?

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
  java -cp "$out/classes:$(join "${libraryJars[@]}")" "$runClass"
fi
