#!/usr/bin/env bash
# Builds, once, what the Windows build of P-ZAM links against: Qt 6 qtbase (Core, Gui with the
# windows platform plugin and the JPEG image plugin, Widgets, PrintSupport), QCustomPlot,
# libjpeg-turbo and GoogleTest, cross-compiled with MinGW-w64 from Debian's own source packages.
# Installs the compilers, Wine and NSIS when missing.
#
# The result lies in ${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}/<key>/prefix, where the key
# is made of the source packages' versions and of this script and its patches; "current" beside it
# links to the last one built. A cache whose key matches is reused. The last line printed is the
# prefix.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
here="$repo/scripts/windows"
cache=${PZAM_WINDOWS_CACHE:-$HOME/.cache/pzam-windows}
jobs=${PZAM_JOBS:-$(nproc)}

log() { echo "windows-toolchain: $*" >&2; }

# --- Debian packages: the cross compilers, Wine, NSIS, the host Qt tools, source unpacking.
packages=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools libgtest-dev googletest
  xvfb xauth x11-utils xdotool imagemagick zip unzip)
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

key_text="qt6-base=$qt_ver qcustomplot=$qcp_ver libjpeg-turbo=$jpeg_ver googletest=$gtest_ver
$( (cat "$0" "$repo/cmake/mingw-w64-x86_64.cmake"; find "$here" -type f | sort | xargs cat) | sha256sum)"
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
dir="$cache/$key"
prefix="$dir/prefix"
if [ -f "$dir/complete" ]; then
  log "reusing the cache in $dir"
  ln -sfn "$key" "$cache/current"
  echo "$prefix"
  exit 0
fi

log "building into $dir ($key_text)"
rm -rf "$dir"
mkdir -p "$dir/src" "$dir/build" "$prefix"
printf '%s\n' "$key_text" >"$dir/versions"
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
export PZAM_WINDOWS_PREFIX="$prefix"
(cd "$dir/src" && apt-get "${apt_src[@]}" source -qq qt6-base qcustomplot libjpeg-turbo >&2)

cmake_cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix")

# libjpeg-turbo: the library only (no SIMD: the Windows build has no NASM here; the logo is one
# small image).
log "libjpeg-turbo $jpeg_ver"
jsrc=$(find "$dir/src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
cmake -S "$jsrc" -B "$dir/build/jpeg" "${cmake_cross[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON >&2
cmake --build "$dir/build/jpeg" -j "$jobs" >&2
cmake --install "$dir/build/jpeg" >&2

# qtbase: shared, Release, only what the windows use. Direct2D stays at its default (the
# DirectWrite font code that PrintSupport and the platform plugin link needs it); Debian's dfsg
# tarball has no wintab, so tablet events are off; OpenGL is off at the input too.
log "qtbase $qt_ver"
qsrc=$(find "$dir/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
cmake -S "$qsrc" -B "$dir/build/qtbase" "${cmake_cross[@]}" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
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

# QCustomPlot: Debian's source with Debian's own patch for the header build (moc and the QCP
# namespace), built as a shared library by a small CMake file of ours.
log "qcustomplot $qcp_ver"
csrc=$(find "$dir/src" -maxdepth 1 -type d -name 'qcustomplot-*' | head -n 1)
patch -d "$csrc" -p1 <"$csrc/debian/patches/02_fix_header_build.patch" >&2
cmake -S "$here/qcustomplot" -B "$dir/build/qcustomplot" "${cmake_cross[@]}" \
  -DQCP_SOURCE_DIR="$csrc" -DCMAKE_PREFIX_PATH="$prefix" >&2
cmake --build "$dir/build/qcustomplot" -j "$jobs" >&2
cmake --install "$dir/build/qcustomplot" >&2

# GoogleTest and GoogleMock from Debian's /usr/src/googletest, static.
log "googletest $gtest_ver"
cmake -S /usr/src/googletest -B "$dir/build/googletest" "${cmake_cross[@]}" \
  -Dgtest_disable_pthreads=OFF -DBUILD_SHARED_LIBS=OFF >&2
cmake --build "$dir/build/googletest" -j "$jobs" >&2
cmake --install "$dir/build/googletest" >&2

rm -rf "$dir/build" "$dir/src"
touch "$dir/complete"
ln -sfn "$key" "$cache/current"
log "done: $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
