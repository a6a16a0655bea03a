#!/usr/bin/env bash
# Builds P-ZAM (installing what is missing) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
exec build/default/bin/pzam-tool text --language deutsch --all
