#!/usr/bin/env bash
# How long `make demo` takes on a built tree until the demo's first picture is on the screen, under a
# private Xvfb: RUNS runs (default 5), each from the command's start to the moment the screen's centre shows
# the centre of the opening picture. The first run may remake the demo folder; the others find it current.
# Prints each time, the median and its ratio to the 2500 ms budget.
# Usage: bench/demo_start.sh [RUNS]   (builds what it needs in build/dev; needs scripts/install-deps e2e)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
probe=build/dev/tests/e2e/e2e_xprobe
for tool in Xvfb xdotool convert; do
    command -v "$tool" >/dev/null || { echo "demo_start.sh: $tool is missing (scripts/install-deps e2e)" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/run" VISTRELLE_AUDIO=none
mkdir -m 700 "$XDG_RUNTIME_DIR"

[[ -f build/dev/build.ninja ]] || cmake --preset dev >/dev/null
cmake --build --preset dev --target qv qv-make e2e_xprobe >/dev/null
times=()
for run in $(seq 1 "$runs"); do
    # The opening picture's centre pixel, once the demo folder exists (the first run makes it).
    [[ -f build/demo/velloran/Demo/qor_0 ]] || build/dev/tools/qv-make/qv-make --demo "$work/probe" --quiet \
        --program build/dev/src/platform/qt/qv
    opening=build/demo/velloran/Demo/qor_0
    [[ -f $opening ]] || opening="$work/probe/velloran/Demo/qor_0"
    read -r w h < <(identify -format '%w %h\n' "$opening")
    convert "$opening" -crop "1x1+$((w / 2))+$((h / 2))" -depth 8 "rgb:$work/centre.rgb"

    start=$(date +%s%N)
    make --no-print-directory demo >"$work/demo.log" 2>&1 &
    demo=$!
    "$probe" wait-region 640 360 1 1 "$work/centre.rgb" 12 20000 >/dev/null ||
        { cat "$work/demo.log" >&2; echo "demo_start.sh: the opening picture did not show" >&2; exit 1; }
    ms=$((($(date +%s%N) - start) / 1000000))
    times+=("$ms")
    echo "run $run: first picture after $ms ms"
    xdotool key Escape
    wait "$demo" || true
    sleep 0.5
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
echo "median $median ms; ratio to the 2500 ms budget: $(awk -v m="$median" 'BEGIN { printf "%.2f", m / 2500 }')"
