# Shared steps of the package tests: the one package file of the tree, and skipping.
set -euo pipefail
VIS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
note() { echo "# $*"; }

VERSION=$(sed -n 's/^project(Vistrelle VERSION \([0-9.]*\).*/\1/p' "$VIS_ROOT/CMakeLists.txt")
DEB="$VIS_ROOT/build/vistrelle_${VERSION}_$(dpkg --print-architecture).deb"
[[ -f $DEB ]] || fail "$DEB is missing (make package)"
