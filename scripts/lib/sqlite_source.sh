# SQLite for the Windows builds: the amalgamation (sqlite3.c, sqlite3.h) made from Debian's
# source package of the version pinned here, with Debian's patches, checked against the pinned
# checksum of its .dsc and the .dsc's own checksums of every file. The result is kept in
# build/third_party/sqlite, where the Windows builds' CMake finds it; a second run reuses it.
SQLITE_DEB_VERSION=3.40.1-2+deb12u2
SQLITE_DSC_SHA256=ee3459ae9d00939741c7708fc1b8ce1bde12d8c3fb1dfa005bbbc8651d884e23
SQLITE_AMALGAMATION=build/third_party/sqlite

# Debian's source packages, for apt-get source, beside the binary ones the machine has.
ensure_deb_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
    return 0
  cat >/etc/apt/sources.list.d/lantervo-deb-src.sources <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update -qq >/dev/null
}

# Every file the .dsc lists has the size and SHA-256 it states.
check_dsc_files() {  # $1: the .dsc
  local sum size name ok=0
  while read -r sum size name; do
    [ -f "$name" ] || { echo "missing $name"; ok=1; continue; }
    [ "$(stat -c %s "$name")" = "$size" ] || { echo "$name: size differs"; ok=1; }
    [ "$(sha256sum "$name" | cut -d' ' -f1)" = "$sum" ] || { echo "$name: checksum differs"; ok=1; }
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/p' "$1" | grep '^ ')
  return $ok
}

sqlite_amalgamation() {
  local stamp="$SQLITE_AMALGAMATION/debian-version"
  if [ -f "$SQLITE_AMALGAMATION/sqlite3.c" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$SQLITE_DEB_VERSION" ]; then
    return 0
  fi
  echo "== SQLite $SQLITE_DEB_VERSION for the Windows builds, from Debian's source package"
  install_missing dpkg-dev tcl make gcc || return 1
  ensure_deb_src || return 1
  local work=build/third_party/sqlite-source log
  log=$(pwd)/build/third_party/sqlite.log
  rm -rf "$work" && mkdir -p "$work"
  (
    cd "$work" || exit 1
    apt-get source --download-only "sqlite3=$SQLITE_DEB_VERSION" >"$log" 2>&1 || exit 1
    local dsc="sqlite3_${SQLITE_DEB_VERSION#*:}.dsc"
    [ "$(sha256sum "$dsc" | cut -d' ' -f1)" = "$SQLITE_DSC_SHA256" ] ||
      { echo "   $dsc does not have the pinned checksum"; exit 1; }
    check_dsc_files "$dsc" || exit 1
    dpkg-source --no-check -x "$dsc" tree >>"$log" 2>&1 || exit 1
    mkdir -p tree/bld && cd tree/bld || exit 1
    ../configure --disable-tcl >>"$log" 2>&1 && make -j2 sqlite3.c >>"$log" 2>&1
  ) || { echo "   making SQLite's amalgamation FAILED (log: $log)"; tail -5 "$log"; return 1; }
  mkdir -p "$SQLITE_AMALGAMATION"
  cp "$work/tree/bld/sqlite3.c" "$work/tree/bld/sqlite3.h" "$SQLITE_AMALGAMATION/"
  echo "$SQLITE_DEB_VERSION" >"$stamp"
  rm -rf "$work"
}
