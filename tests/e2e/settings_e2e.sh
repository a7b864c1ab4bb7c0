#!/bin/bash
# The settings dialog of the real program under Xvfb: it opens at its size with the preview drawn
# transparently, a click on the grey box and on OK writes the markers and qor_inf, and the program ends.
# Usage: settings_e2e.sh <path of the qv program> [folder for the screenshot]
set -u
QV=$(readlink -f "$1")
SHOTS=${2:-}
for tool in Xvfb xdotool xwininfo import convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

WORK=$(mktemp -d /tmp/vistrelle-settings-e2e.XXXXXX)
XVFB=
APP=
cleanup() {
    [ -n "$APP" ] && kill "$APP" 2>/dev/null
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

DATA="$WORK/velloran/Demo"
mkdir -p "$DATA" "$WORK/runtime"
chmod 700 "$WORK/runtime"
ln -s "$QV" "$WORK/Demo.scr"
printf '3\r\n1011111111111111\r\n25\r\n0\r\n' > "$DATA/qor_inf"
echo picture > "$DATA/qor_0"
echo picture > "$DATA/qor_1"
touch "$DATA/qor_sepia"
# The preview: magenta (the lower-left colour, so not drawn) with a red square.
convert -size 287x120 xc:'#FF00FF' -fill '#FF0000' -draw 'rectangle 100,50 119,69' -type TrueColor \
    "BMP3:$DATA/qor_effect1" || fail "cannot make the preview"

exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 2>"$WORK/xvfb.log" &
XVFB=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"
export XDG_RUNTIME_DIR="$WORK/runtime"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

"$WORK/Demo.scr" 2>"$WORK/app.log" &
APP=$!
WID=
for _ in $(seq 100); do
    WID=$(xdotool search --onlyvisible --name '^setting for vistrelle 3.3jp$' 2>/dev/null | head -n1)
    [ -n "$WID" ] && break
    sleep 0.1
done
[ -n "$WID" ] || { cat "$WORK/app.log"; fail "the dialog did not open"; }
# An ordinary top-level window, which task bars list: not transient for another window, of normal type.
PROPS=$(xprop -id "$WID" WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE)
grep -q 'WM_TRANSIENT_FOR:  not found' <<<"$PROPS" || fail "the dialog is transient for another window: $PROPS"
grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$' <<<"$PROPS" || fail "the dialog is not a normal window: $PROPS"

INFO=$(xwininfo -id "$WID")
W=$(awk '/ Width:/ {print $2}' <<<"$INFO")
H=$(awk '/ Height:/ {print $2}' <<<"$INFO")
X=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$INFO")
Y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$INFO")
[ "$W" = 306 ] && [ "$H" = 189 ] || fail "client area is ${W}x${H}, not 306x189"
# Centred on the 1024x768 screen (no window manager, so no frame).
[ "$X" = 359 ] && [ "$Y" = 289 ] || fail "the dialog is at $X,$Y, not centred"

# Painting may lag on a busy machine: look again until the preview is there.
RED=0
MAGENTA=0
for _ in $(seq 50); do
    import -window root -crop "306x189+$X+$Y" +repage "$WORK/dialog.png"
    PIXELS=$(convert "$WORK/dialog.png" -depth 8 txt:-)
    RED=$(grep -c '#FF0000' <<<"$PIXELS" || true)
    MAGENTA=$(grep -c '#FF00FF' <<<"$PIXELS" || true)
    [ "$RED" -ge 300 ] && break
    sleep 0.1
done
[ -n "$SHOTS" ] && cp "$WORK/dialog.png" "$SHOTS/settings_dialog.png"
[ "$RED" -ge 300 ] || fail "the preview's red square is missing ($RED pixels)"
[ "$MAGENTA" = 0 ] || fail "the preview's transparent colour was drawn ($MAGENTA pixels)"

xdotool mousemove --window "$WID" 90 172 click 1 # the grey box (its caption)
sleep 0.3
xdotool mousemove --window "$WID" 275 175 click 1 # OK
for _ in $(seq 100); do kill -0 "$APP" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP" 2>/dev/null && fail "the dialog did not close on OK"
wait "$APP"
STATUS=$?
APP=
[ "$STATUS" = 0 ] || fail "exit status $STATUS"

EXPECTED=$(printf '3\r\n1011111111111111\r\n10\r\n1\r\n' | od -An -c)
GOT=$(od -An -c "$DATA/qor_inf")
[ "$GOT" = "$EXPECTED" ] || fail "qor_inf is $GOT"
[ -f "$DATA/qor_gray" ] || fail "qor_gray was not created"
[ -e "$DATA/qor_sepia" ] && fail "qor_sepia was not removed"
[ -e "$DATA/qor_effect1" ] || fail "the preview lost its name"
echo "PASS"
