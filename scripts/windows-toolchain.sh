#!/usr/bin/env bash
# Builds, once, what the Windows build of P-ZAM links against: Qt 6 qtbase (Core, Gui with the
# windows platform plugin and the JPEG image plugin, Widgets, PrintSupport), QCustomPlot,
# libjpeg-turbo and GoogleTest, cross-compiled with MinGW-w64 from Debian's own source packages.
# Installs the compilers, Wine and NSIS when missing.
#
# The result lies in ${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}/<key>/prefix, where the key
# is made of the source packages' versions; "current" beside it links to the last one made. Each
# part carries a stamp of the lines that built it, so a cache that matches is reused and only a
# part whose build lines changed is built again. The last line printed is the prefix. No patch of
# ours is needed: Debian's sources build as they are with the lines below.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}
jobs=${PZAM_JOBS:-$(nproc)}

log() { echo "windows-toolchain: $*" >&2; }

# --- Debian packages: the cross compilers, Wine, NSIS, the host Qt tools, source unpacking.
packages=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools libgtest-dev googletest
  xvfb xauth x11-utils xdotool imagemagick zip unzip locales)
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

# Each part is built when its stamp is missing or was made by other build lines (the stamp holds
# the hash of the function that builds it and of the toolchain file); a rebuilt Qt rebuilds
# QCustomPlot.
rebuilt=""
for part in jpeg qt qcustomplot googletest; do
  stamp="$prefix/.built-$part"
  hash=$( (declare -f "build_$part"; cat "$toolchain"; echo "${part}:${rebuilt}") | sha256sum |
    cut -c1-16)
  if [ "$(cat "$stamp" 2>/dev/null)" = "$hash" ]; then
    continue
  fi
  log "building $part ($versions)"
  rm -f "$stamp"
  "build_$part"
  echo "$hash" >"$stamp"
  if [ "$part" = qt ]; then rebuilt=qt; fi
done

rm -rf "$dir/build" "$dir/src"
ln -sfn "$key" "$cache/current"
log "ready: $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
