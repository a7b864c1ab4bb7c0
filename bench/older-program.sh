#!/usr/bin/env bash
# Builds the saver program (qv, release) of an older revision into build/older/REV and prints its path, so that
# bench/linux_cpu.sh --against can run it beside the current one. Built once per revision.
# Usage: bench/older-program.sh [REV]   (default: the revision before the 4K and camera-photo work)
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-7630124}
out=build/older/$rev
if [[ ! -x "$out/build/src/platform/qt/qv" ]]; then
    git rev-parse --verify --quiet "$rev^{commit}" >/dev/null ||
        { echo "older-program.sh: no revision $rev in this clone (a shallow one?)" >&2; exit 2; }
    rm -rf "$out"
    mkdir -p "$out/src"
    git archive "$rev" | tar -x -C "$out/src"
    cmake -S "$out/src" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIS_TESTS=OFF -DVIS_BENCH=OFF >/dev/null
    cmake --build "$out/build" --target qv >/dev/null
fi
realpath "$out/build/src/platform/qt/qv"
