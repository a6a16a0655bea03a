#!/usr/bin/env bash
# Builds, once, what the Windows build of P-ZAM links against: Qt 6 qtbase (Core, Gui with the
# windows platform plugin and the JPEG image plugin, Widgets, PrintSupport), QCustomPlot,
# libjpeg-turbo and GoogleTest; and for the station's plant data SQLite, OpenSSL, the MQTT client
# library libmosquitto and nlohmann-json; cross-compiled with MinGW-w64 from Debian's own source
# packages. Installs the compilers, Wine and NSIS when missing.
#
# The result lies in ${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}/<key>/prefix, where the key
# is made of the versions of Qt's, QCustomPlot's, libjpeg-turbo's and GoogleTest's sources; "current"
# beside it links to the last one made. Each part carries a stamp of the lines that built it (and,
# for the plant data's parts, of their source versions), so a cache that matches is reused and only
# a part whose build lines or sources changed is built again. The last line printed is the prefix.
# No patch of ours is needed: Debian's sources build as they are with the lines below.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}
jobs=${PZAM_JOBS:-$(nproc)}

log() { echo "windows-toolchain: $*" >&2; }

# --- Debian packages: the cross compilers, Wine, NSIS, the host Qt tools, source unpacking.
packages=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools libgtest-dev googletest
  xvfb xauth x11-utils xdotool imagemagick zip unzip locales
  tcl perl mosquitto mosquitto-clients openssl)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# --- Debian's source packages through an apt configuration of our own (deb-src, bookworm), with
# the URIs and keyring of the system's own entry: nothing is added to the system's apt setup.
aptdir="$cache/apt"
mkdir -p "$aptdir/sources.list.d" "$aptdir/lists/partial"
system_sources=/etc/apt/sources.list.d/debian.sources
uri=$(awk '/^URIs:/ && !/security/ {print $2; exit}' "$system_sources")
keyring=$(awk '/^Signed-By:/ {print $2; exit}' "$system_sources")
if [ -z "$uri" ]; then
  log "no Debian URI in $system_sources"
  exit 1
fi
cat >"$aptdir/sources.list.d/pzam-src.sources" <<EOF
Types: deb-src
URIs: $uri
Suites: bookworm
Components: main
Signed-By: ${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}
EOF
apt_src=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$aptdir/sources.list.d"
  -o "Dir::State::Lists=$aptdir/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
if [ -z "$(ls "$aptdir/lists" 2>/dev/null | grep -i sources)" ] || [ "${PZAM_WINDOWS_REFRESH:-0}" = 1 ]; then
  log "reading the source package lists"
  apt-get "${apt_src[@]}" update -qq >&2
fi
src_version() {
  apt-cache "${apt_src[@]}" showsrc "$1" | awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}
qt_ver=$(src_version qt6-base)
qcp_ver=$(src_version qcustomplot)
jpeg_ver=$(src_version libjpeg-turbo)
gtest_ver=$(dpkg-query -W -f='${Version}' googletest)
[ -n "$qt_ver" ] && [ -n "$qcp_ver" ] && [ -n "$jpeg_ver" ] || { log "source versions not found"; exit 1; }
# The plant data's parts: their versions go into their own stamps, not into the key, so a new
# Debian version of one of them rebuilds that part alone in the same cache (Qt stays).
declare -A part_source=([sqlite]=sqlite3 [openssl]=openssl [mosquitto]=mosquitto
  [json]=nlohmann-json3)
declare -A part_version=()
for part in "${!part_source[@]}"; do
  part_version[$part]=$(src_version "${part_source[$part]}")
  [ -n "${part_version[$part]}" ] || { log "no source version of ${part_source[$part]}"; exit 1; }
done

versions="qt6-base=$qt_ver qcustomplot=$qcp_ver libjpeg-turbo=$jpeg_ver googletest=$gtest_ver"
key=$(printf '%s' "$versions" | sha256sum | cut -c1-16)
dir="$cache/$key"
prefix="$dir/prefix"
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
export PZAM_WINDOWS_PREFIX="$prefix"
cmake_cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix")
mkdir -p "$dir/src" "$dir/build" "$prefix"
printf '%s\n' "$versions" >"$dir/versions"
for part in sqlite openssl mosquitto json; do
  printf '%s=%s\n' "${part_source[$part]}" "${part_version[$part]}" >>"$dir/versions"
done

unpacked() {  # the folder apt-get source unpacked a package into (Debian's patches applied)
  local d
  d=$(find "$dir/src" -maxdepth 1 -type d -name "$1-*" | head -n 1)
  if [ -z "$d" ]; then
    (cd "$dir/src" && apt-get "${apt_src[@]}" source -qq "$1" >&2)
    d=$(find "$dir/src" -maxdepth 1 -type d -name "$1-*" | head -n 1)
  fi
  echo "$d"
}

# libjpeg-turbo: the static library only (no SIMD: there is no NASM for the cross build here,
# and the program decodes one small logo).
build_jpeg() {
  local src
  src=$(unpacked libjpeg-turbo)
  cmake -S "$src" -B "$dir/build/jpeg" "${cmake_cross[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF >&2
  cmake --build "$dir/build/jpeg" -j "$jobs" >&2
  cmake --install "$dir/build/jpeg" >&2
}

# qtbase: shared, Release, only what the windows use. Direct2D stays at its default (the
# DirectWrite font code that PrintSupport and the platform plugin link needs it); Debian's dfsg
# tarball has no wintab, so tablet events are off; OpenGL is off at the input too. Qt's own
# copies of the image, font and text libraries are used (nothing else to cross-build).
build_qt() {
  local src
  src=$(unpacked qt6-base)
  cmake -S "$src" -B "$dir/build/qtbase" "${cmake_cross[@]}" -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
    -DINPUT_opengl=no -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_printsupport=ON -DFEATURE_jpeg=ON \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF >&2
  cmake --build "$dir/build/qtbase" -j "$jobs" >&2
  cmake --install "$dir/build/qtbase" >&2
}

# QCustomPlot: Debian's source with Debian's patches (its CMake files, and the header fix for
# moc and the QCP namespace), built by Debian's own CMake file for Qt 6, as the Linux package is.
build_qcustomplot() {
  local src
  src=$(unpacked qcustomplot)
  cmake -S "$src" -B "$dir/build/qcustomplot" "${cmake_cross[@]}" -DBUILD_SHARED_LIBS=ON \
    -DUSE_QT_VERSION=6 -DCMAKE_PREFIX_PATH="$prefix" >&2
  cmake --build "$dir/build/qcustomplot" -j "$jobs" >&2
  cmake --install "$dir/build/qcustomplot" >&2
}

# GoogleTest and GoogleMock from Debian's /usr/src/googletest, static.
build_googletest() {
  cmake -S /usr/src/googletest -B "$dir/build/googletest" "${cmake_cross[@]}" \
    -Dgtest_disable_pthreads=OFF -DBUILD_SHARED_LIBS=OFF >&2
  cmake --build "$dir/build/googletest" -j "$jobs" >&2
  cmake --install "$dir/build/googletest" >&2
}

# SQLite: Debian's source is the whole tree, whose generators (host programs, Tcl scripts) do not
# cross-build. So the single-file library sqlite3.c is made by its own configure and make on this
# machine, then compiled for Windows with the toolchain file into a static library: one object,
# no DLL to ship. Its defaults fit the journal (thread-safe, WAL); extension loading is left out,
# the journal loads none.
build_sqlite() {
  local src b="$dir/build/sqlite"
  src=$(unpacked sqlite3)
  mkdir -p "$b/host"
  (cd "$b/host" && "$src/configure" --disable-tcl --disable-readline >&2 && make sqlite3.c >&2)
  cat >"$b/CMakeLists.txt" <<'EOF_SQLITE'
cmake_minimum_required(VERSION 3.25)
project(sqlite3 C)
add_library(sqlite3 STATIC host/sqlite3.c)
target_compile_definitions(sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION)
install(TARGETS sqlite3)
install(FILES host/sqlite3.h host/sqlite3ext.h TYPE INCLUDE)
EOF_SQLITE
  cmake -S "$b" -B "$b/cross" "${cmake_cross[@]}" >&2
  cmake --build "$b/cross" -j "$jobs" >&2
  cmake --install "$b/cross" >&2
}

# OpenSSL (TLS to the broker): its own Configure for the mingw64 target, the posix-thread compiler
# as for everything else (CC=gcc-posix after the prefix); static libraries, so no DLL to ship;
# only the libraries and headers built and installed (no tests, tools or manual pages).
# --openssldir is where the library would look for its configuration and default certificates:
# the folder Windows builds use, which only administrators may write (this machine's prefix would
# become a folder any Windows user could create); no-autoload-config: no configuration file is
# read at all (the program passes its CA file itself).
build_openssl() {
  local src b="$dir/build/openssl"
  src=$(unpacked openssl)
  mkdir -p "$b"
  (cd "$b" && CC=gcc-posix "$src/Configure" mingw64 --cross-compile-prefix=x86_64-w64-mingw32- \
    no-shared no-tests no-autoload-config --prefix="$prefix" --libdir=lib \
    "--openssldir=C:/Program Files/Common Files/SSL" >&2 &&
    make -j "$jobs" build_libs >&2 && make install_dev >&2)
}

# libmosquitto, the station's MQTT client on Windows (Debian's Paho C source cannot be had here;
# src/plant/CMakeLists.txt says more): the static library alone (no DLL to ship), with TLS
# through the OpenSSL above and its own network thread (winpthreads); no broker, clients, apps,
# plugins, manual pages, C++ wrapper, SOCKS or cJSON. Only the static library's target is built:
# the shared one's CMake lines name pthread libraries of another compiler.
build_mosquitto() {
  local src b="$dir/build/mosquitto"
  src=$(unpacked mosquitto)
  cmake -S "$src" -B "$b" "${cmake_cross[@]}" -DOPENSSL_ROOT_DIR="$prefix" \
    -DOPENSSL_USE_STATIC_LIBS=ON -DWITH_STATIC_LIBRARIES=ON -DWITH_TLS=ON -DWITH_THREADING=ON \
    -DWITH_BROKER=OFF -DWITH_CLIENTS=OFF -DWITH_APPS=OFF -DWITH_PLUGINS=OFF -DDOCUMENTATION=OFF \
    -DWITH_LIB_CPP=OFF -DWITH_CJSON=OFF -DWITH_SOCKS=OFF -DWITH_SRV=OFF >&2
  cmake --build "$b" -j "$jobs" --target libmosquitto_static >&2
  install -m 644 "$b/lib/libmosquitto_static.a" "$prefix/lib/"
  install -m 644 "$src/include/mosquitto.h" "$src/include/mqtt_protocol.h" "$prefix/include/"
}

# nlohmann-json: headers only, with its CMake package files for find_package.
build_json() {
  local src
  src=$(unpacked nlohmann-json3)
  cmake -S "$src" -B "$dir/build/json" "${cmake_cross[@]}" -DJSON_BuildTests=OFF -DJSON_Install=ON \
    >&2
  cmake --install "$dir/build/json" >&2
}

# The source version a plant data part is built from, for its stamp (nothing for the other parts,
# whose versions make the key). libmosquitto is compiled against OpenSSL's headers: a new OpenSSL
# rebuilds it too.
part_sources() {
  case $1 in
    sqlite | openssl | json) echo "${part_source[$1]}=${part_version[$1]}" ;;
    mosquitto) echo "mosquitto=${part_version[mosquitto]} openssl=${part_version[openssl]}" ;;
  esac
}

# Each part is built when its stamp is missing or was made by other build lines (the stamp holds
# the hash of the function that builds it and of the toolchain file, and for the plant data's
# parts their source versions); a rebuilt Qt rebuilds QCustomPlot. The plant data's parts come
# first, so a rebuilt Qt leaves them alone.
rebuilt=""
for part in sqlite openssl mosquitto json jpeg qt qcustomplot googletest; do
  stamp="$prefix/.built-$part"
  hash=$( (declare -f "build_$part"; cat "$toolchain"; echo "${part}:${rebuilt}"; part_sources "$part") |
    sha256sum | cut -c1-16)
  if [ "$(cat "$stamp" 2>/dev/null)" = "$hash" ]; then
    continue
  fi
  log "building $part ($(part_sources "$part" | grep . || echo "$versions"))"
  rm -f "$stamp"
  started=$SECONDS
  "build_$part"
  log "built $part in $((SECONDS - started)) s"
  echo "$hash" >"$stamp"
  if [ "$part" = qt ]; then rebuilt=qt; fi
done

rm -rf "$dir/build" "$dir/src"
ln -sfn "$key" "$cache/current"
log "ready: $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
