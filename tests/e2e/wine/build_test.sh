#!/usr/bin/env bash
# Brings build/windows/qv.exe up to date for the Wine tests (seconds when nothing changed).
set -euo pipefail
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "SKIP: mingw-w64 not installed"; exit 77; }
exec "$(dirname "$0")/../../../scripts/build-windows"
