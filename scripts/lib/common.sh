# Shared by scripts/test and scripts/run.

BUILD_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgmock-dev libgtest-dev
  libbenchmark-dev libicu-dev libssl-dev libxml2-dev libcurl4-openssl-dev libsqlite3-dev libproxy-dev gettext
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev libxcb1-dev)
# What the desktop program needs to start where there is no display, and to take screenshots.
DESKTOP_PACKAGES=(xvfb imagemagick)

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]} (log: build/install.log)"
  export DEBIAN_FRONTEND=noninteractive
  mkdir -p build
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >build/install.log 2>&1 ||
    { tail -20 build/install.log; return 1; }
}

build_preset() {  # $1: preset, $2: label, then extra cache settings (-DNAME=VALUE)
  local preset=$1 label=$2
  shift 2
  echo "== $label: building"
  # The logs stay with the build, so runs in other work trees never write over them.
  local dir="build/$preset"
  mkdir -p "$dir"
  if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
    cmake --preset "$preset" "$@" >"$dir/configure.log" 2>&1 ||
      { tail -30 "$dir/configure.log"; echo "   (log: $dir/configure.log)"; return 1; }
  fi
  cmake --build "$dir" >"$dir/build.log" 2>&1 ||
    { grep -E 'error|Error' -A5 "$dir/build.log" | head -80; echo "   (log: $dir/build.log)"; return 1; }
}

# Some virtual machines run no 32-bit Linux programs, and 32-bit wine is one.
can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

run_fuzzers() {  # $1: seconds per target
  echo "== fuzzing each parser for $1 s"
  build_preset fuzz "Fuzz targets" || { failed=$((failed + 1)); return; }
  local target corpus log
  for target in build/fuzz/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    corpus=$(mktemp -d /tmp/lantervo-corpus.XXXXXX)
    seeds="fuzz/corpus/$(basename "$target" _fuzz)"
    log="build/fuzz/$(basename "$target").log"
    if "$target" -max_total_time="$1" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" ${seeds:+$([ -d "$seeds" ] && echo "$seeds")} >"$log" 2>&1; then
      passed=$((passed + 1))
      echo "   $(basename "$target"): $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs ($(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$') a second), no crash"
    else
      failed=$((failed + 1))
      echo "   $(basename "$target"): FAILED"; tail -30 "$log"
    fi
    rm -rf "$corpus"
  done
}
