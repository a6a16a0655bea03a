#!/usr/bin/env bash
# The Windows build: makes sure the cross-built libraries are there (scripts/windows-toolchain.sh,
# reused from its cache), then configures and builds preset "windows". Extra arguments are build
# targets. The programs, the core's tests and the DLLs they load end up in build/windows/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(bash scripts/windows-toolchain.sh | tail -n 1)
export PZAM_WINDOWS_PREFIX="$prefix"
# Boost.Math (the gauge study's Student's t) is header-only: the Windows build sees a folder that
# holds only a link to the host's boost headers, not the host's /usr/include as a whole.
if [ ! -f /usr/include/boost/math/distributions/students_t.hpp ]; then
  echo "build-windows: the boost headers are missing: run scripts/setup.sh" >&2
  exit 1
fi
boost="$PWD/build/windows-boost"
mkdir -p "$boost"
ln -sfn /usr/include/boost "$boost/boost"
cmake --preset windows -DPZAM_WINDOWS_PREFIX="$prefix" -DPZAM_BOOST_INCLUDE_DIR="$boost" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build --preset windows --target "$@"
else
  cmake --build --preset windows
fi
