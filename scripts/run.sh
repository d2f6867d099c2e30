#!/usr/bin/env bash
# Installs what is missing, builds Cartavo and starts it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
exec "${BUILD_DIR:-$ROOT/build}/app/cartavo" "$@"
