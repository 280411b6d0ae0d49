# Sourced by the Kotlin check scripts: one run of the Kotlin 2.1.0 compiler
# with the Compose plugin, against the desktop Compose libraries fetched by
# fetch-deps.sh (scripts/setup) and the Android stubs next to this file.

kotlinCache="${XDG_CACHE_HOME:-$HOME/.cache}/tovrane/kotlin"
kotlinStubs="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/android-stubs"

requireKotlin() {
  if [ ! -f "$kotlinCache/compiler/.stamp" ] || [ ! -f "$kotlinCache/classpath/.stamp" ]; then
    echo "$1: Kotlin artifacts missing in $kotlinCache; run scripts/setup" >&2
    exit 2
  fi
}

# The Android stubs, sorted, NUL-separated.
androidStubs() { find "$kotlinStubs" -name '*.kt' -print0 | sort -z; }

joinPath() { local IFS=:; echo "$*"; }

# The library jars for compiling and running. The old split parts of the
# standard library are empty shells next to 2.1.0.
kotlinLibraryPath() {
  local jars=() jar
  for jar in "$kotlinCache"/classpath/*.jar; do
    case "$(basename "$jar")" in kotlin-stdlib-common-* | kotlin-stdlib-jdk*) ;; *) jars+=("$jar") ;; esac
  done
  joinPath "${jars[@]}"
}

# compileKotlin CLASSES LOG SOURCE...: compiles into CLASSES, the compiler's
# output in LOG; returns the compiler's exit status. Runs from a neutral
# folder, so the compiler names every file by its absolute path.
compileKotlin() {
  local classes="$1" log="$2"
  shift 2
  (cd "$(dirname "$log")" &&
    java -Xmx3g -Xss8m -cp "$(joinPath "$kotlinCache"/compiler/*.jar)" org.jetbrains.kotlin.cli.jvm.K2JVMCompiler \
      -no-stdlib -no-reflect -jvm-target 17 -language-version 2.1 -api-version 2.1 \
      -Xplugin="$(ls "$kotlinCache"/compiler/kotlin-compose-compiler-plugin-embeddable-*.jar)" \
      -cp "$(kotlinLibraryPath)" -d "$classes" "$@" >"$log" 2>&1)
}
