#!/usr/bin/env bash
# Builds the Debian package "pzam": a Release build of the three programs and the language
# files, then CPack's DEB generator (Depends computed by dpkg-shlibdeps). The last line of
# output is the path of the .deb under build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" \
  --target PZAM pzam-tool pzam-sim pzam_languages pzam_package_files
out="$PWD/build/package"
rm -rf "$out"
mkdir -p "$out"
# CPack installs into its own staging folder and leaves the package in $out.
(cd build/release && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
  cat "$out/cpack.log" >&2
  exit 1
}
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/pzam_*.deb)
echo "$deb"
