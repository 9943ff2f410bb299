# The README's own commands after its test command, in the order it gives them, on a copy of
# the sources: start the program, install it under a prefix, make the Debian package, and the
# package's install (simulated: the machine is left as it was). Each is one counted check.
# Sourced by scripts/test, which has `check`, `passed` and `failed`.

check_readme_commands() {
  local copy=build/readme-copy log=build/readme-copy.log home
  echo "== the README's commands in their order, on a copy (details in $log)"
  : >"$log"
  mkdir -p "$copy"
  # The copy's own build folder stays between runs, as a user's would.
  find "$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
  git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$copy"
  home=$(mktemp -d /tmp/lantervo-readme-home.XXXXXX)
  check "$log" "README: scripts/run starts the program" run_program_from_copy "$copy" "$home"
  check "$log" "README: cmake --install build/qt-release --prefix ~/.local" \
    install_from_copy "$copy" "$home"
  check "$log" "README: (cd build/qt-release && cpack -G DEB)" \
    bash -c "cd '$copy/build/qt-release' && cpack -G DEB"
  check "$log" "README: apt install ./build/qt-release/lantervo_*_amd64.deb (simulated)" \
    bash -c "cd '$copy' && apt-get install -s ./build/qt-release/lantervo_*_amd64.deb"
  rm -rf "$home"
}

# scripts/run builds and starts the program; once it has run for a few seconds it is told to end
# (SIGTERM, which quits it as Quit does) and must end by itself with exit code 0.
run_program_from_copy() {  # $1: copy, $2: a home of its own
  local copy=$1 home=$2 out="$2/run.out" pid program i
  copy=$(cd "$copy" && pwd)
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
    timeout 1800 "$copy/scripts/run" >"$out" 2>&1 &
  pid=$!
  for i in $(seq 1800); do
    program=$(program_of_copy "$copy")
    [ -n "$program" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
  done
  sleep 3
  [ -n "$program" ] && kill -TERM "$program"
  wait "$pid"
  local rc=$?
  cat "$out"
  grep -q "== starting" "$out" && [ "$rc" -eq 0 ]
}

# The program scripts/run started in the copy: the process of that name working in the copy.
program_of_copy() {  # $1: the copy's absolute path
  local p
  for p in $(pgrep -f "build/qt-release/frontends/qt/lantervo"); do
    [ "$(readlink "/proc/$p/cwd")" = "$1" ] && [ "$(readlink "/proc/$p/exe")" = "$1/build/qt-release/frontends/qt/lantervo" ] &&
      { echo "$p"; return; }
  done
}

install_from_copy() {  # $1: copy, $2: home
  local copy=$1 home=$2
  (cd "$copy" && HOME=$home cmake --install build/qt-release --prefix "$home/.local") &&
    [ -x "$home/.local/bin/lantervo" ] &&
    [ -f "$home/.local/share/man/man1/lantervo.1.gz" ] &&
    [ -f "$home/.local/share/doc/lantervo/changelog.gz" ] &&
    [ -f "$home/.local/share/applications/lantervo.desktop" ]
}
