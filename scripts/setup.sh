#!/usr/bin/env bash
# Installs the Debian packages P-ZAM needs to build, test and run, when they are missing.
# "setup.sh package" also installs the tools that build and check the Debian package
# (scripts/package.sh and its CI stage), which a first start does not need.
# Idempotent; runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libqcustomplot-dev poppler-utils
  libjpeg-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev libboost-math-dev
  fonts-liberation2 fonts-dejavu-core
  libsqlite3-dev libpaho-mqtt-dev libpq-dev libssl-dev nlohmann-json3-dev
  mosquitto postgresql openssl python3-jsonschema

)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev file lintian desktop-file-utils appstream util-linux passwd)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
