#!/usr/bin/env bash
# qv-make on a real (virtual) screen of 800 x 600: without --fit it says it fits to that screen and shrinks a
# larger picture to it, leaves a smaller one byte for byte and never enlarges; --fit none keeps the larger
# one byte for byte. Usage: screen_fit_test.sh QV-MAKE
set -euo pipefail
qvmake=$1
for tool in Xvfb convert identify; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps e2e)"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
xvfb=""
trap '[[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

convert -size 1600x900 gradient:red-blue "jpg:$work/large.jpg"
convert -size 320x240 xc:green "jpg:$work/small.jpg"
"$qvmake" "$work/out" Fit "$work/large.jpg" "$work/small.jpg" >"$work/log" || fail "qv-make failed: $(cat "$work/log")"
grep -qx 'pictures larger than the screen, 800 x 600, are shrunk to fit it (--fit WxH or --fit none chooses otherwise)' \
    "$work/log" || fail "qv-make said: $(cat "$work/log")"
[[ $(identify -format '%w x %h' "jpg:$work/out/velloran/Fit/qor_0") == "800 x 450" ]] ||
    fail "the large picture is $(identify -format '%w x %h' "jpg:$work/out/velloran/Fit/qor_0")"
cmp -s "$work/small.jpg" "$work/out/velloran/Fit/qor_1" || fail "the small picture was changed"

"$qvmake" "$work/out" Fit "$work/large.jpg" "$work/small.jpg" --fit none --force --quiet || fail "--fit none failed"
cmp -s "$work/large.jpg" "$work/out/velloran/Fit/qor_0" || fail "--fit none changed the large picture"
echo "PASS"
