#!/usr/bin/env bash
# lintian finds no error in the package.
source "$(dirname "$0")/lib.sh"
command -v lintian >/dev/null || skip "lintian not installed (scripts/install-deps package)"
# lintian refuses to run as root without this; it only reads the file.
lintian --allow-root --fail-on error --no-tag-display-limit "$DEB" || fail "lintian reports errors"
echo "PASS"
