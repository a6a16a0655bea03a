#!/usr/bin/env bash
# The Windows build: makes sure the cross-built libraries are there (scripts/windows-toolchain.sh,
# reused from its cache), then configures and builds preset "windows". Extra arguments are build
# targets. The programs, the core's tests and the DLLs they load end up in build/windows/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(bash scripts/windows-toolchain.sh | tail -n 1)
export PZAM_WINDOWS_PREFIX="$prefix"
cmake --preset windows -DPZAM_WINDOWS_PREFIX="$prefix" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build --preset windows --target "$@"
else
  cmake --build --preset windows
fi
