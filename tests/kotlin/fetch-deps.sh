#!/usr/bin/env bash
# Fetches the pinned Kotlin compiler and the libraries the runtime compiles
# against from Maven Central into the cache, and checks every jar against the
# SHA-256 list kept beside its pom. Does nothing when the cache already holds
# exactly the pinned set. Run by scripts/setup.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tovrane/kotlin"
plugin="org.apache.maven.plugins:maven-dependency-plugin:3.6.1:copy-dependencies"

fetch() {
  local name="$1"
  local pom="$here/maven/$name/pom.xml" sums="$here/maven/$name/jars.sha256"
  local target="$cache/$name"
  local stamp
  stamp="$(cat "$pom" "$sums" | sha256sum | cut -d' ' -f1)"
  if [ -f "$target/.stamp" ] && [ "$(cat "$target/.stamp")" = "$stamp" ]; then
    return 0
  fi
  echo "setup: fetching Kotlin artifacts ($name) from Maven Central"
  local staging="$cache/$name.partial"
  rm -rf "$staging"
  mkdir -p "$staging"
  # -C: refuse artifacts whose Maven Central checksum does not match.
  mvn -q -B -C -Dstyle.color=never -f "$pom" -Dmaven.repo.local="$cache/m2" \
      "$plugin" -DoutputDirectory="$staging" >/dev/null
  # The jar set must be exactly the pinned one, byte for byte.
  (cd "$staging" && sha256sum --quiet --strict -c "$sums")
  local expected actual
  expected="$(awk '{print $2}' "$sums" | sort)"
  actual="$(cd "$staging" && ls -1 *.jar | sort)"
  if [ "$expected" != "$actual" ]; then
    echo "setup: unexpected jar set for $name:" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    exit 1
  fi
  echo "$stamp" >"$staging/.stamp"
  rm -rf "$target"
  mv "$staging" "$target"
}

fetch compiler
fetch classpath
