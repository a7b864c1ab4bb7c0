#!/usr/bin/env bash
# Brings the package up to date for the other package tests (seconds when the release build is current).
set -euo pipefail
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed (scripts/install-deps package)"; exit 77; }
done
exec "$(dirname "$0")/../../scripts/build-package"
