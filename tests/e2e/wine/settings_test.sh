#!/usr/bin/env bash
# The settings dialog under Wine: NAME.scr /c opens "setting for vistrelle 3.3jp" showing the folder's
# settings; ticking BGM and ﾓﾉｸﾛ and pressing OK writes qor_inf back with CR LF and sets the markers.
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
wine_session_start

base="$(drive_c)/設定テスト"
rm -rf "$base"
mkdir -p "$base/velloran/Demo"
cp "$QV_EXE" "$base/Demo.scr"
data="$base/velloran/Demo"
for n in 0 1 2 3; do quadrant_jpeg "$data/qor_$n" 16 16 red lime blue yellow; done
# Out-of-range times: the track bars clamp them, and OK writes the clamped values.
printf '3\r\n0110000000000001\r\n15\r\n0\r\n' >"$data/qor_inf"
# The preview: white around two marks; white (its lower-left colour) is not drawn.
convert -size 287x120 xc:white -fill orange -draw 'rectangle 14,8 55,24' -fill navy -draw 'rectangle 72,38 112,54' \
    -type truecolor bmp3:"$data/qor_effect1"
touch "$data/qor_bgm.mid" "$data/qor_gray" "$data/qor_sepia"

timeout -k 2 60 wine "$(winepath_of "$base/Demo.scr")" /c &
tpid=$!
wid=""
for _ in $(seq 200); do
    wid=$(xdotool search --name '^setting for vistrelle 3\.3jp$' 2>/dev/null | head -n1 || true)
    [[ -n $wid ]] && break
    kill -0 "$tpid" 2>/dev/null || fail "the program ended without opening the dialog"
    sleep 0.05
done
[[ -n $wid ]] || fail "no settings dialog within 10 s"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
# The X window holds the whole window; its client area (306 x 189) sits above the bottom border.
border=$(((WIDTH - 306) / 2))
left=$((X + border)) top=$((Y + HEIGHT - 189 - border))
((border >= 0 && HEIGHT - 189 - border > border)) || fail "dialog of ${WIDTH}x${HEIGHT} has no room for a 306x189 client area"
note "dialog at $X,$Y, ${WIDTH}x${HEIGHT}"
shot="$SESSION_DIR/dialog.xwd"
xwd -root -silent >"$shot"
convert "$shot" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$VIS_ROOT/build/wine-settings.png"
# The preview's orange mark lies at panel (15..56, 9..25), the panel inside the page; white around it is
# not drawn, so the panel's grey shows (not white).
face=$(pixel_of "$shot" $((left + 150)) $((top + 100)))
near "$face" 255,255,255 4 && fail "the preview's white was drawn (not transparent)"

click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.3
}
click $((left + 7 + 6)) $((top + 164 + 8))  # CBBgm: enabled, since qor_bgm.mid exists
click $((left + 71 + 6)) $((top + 164 + 8)) # CBGray: on, which turns sepia off
click $((left + 250 + 25)) $((top + 164 + 11)) # Button1 "OK"
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the dialog ended with status $status after OK"

printf '3\r\n0110000000000001\r\n10\r\n1\r\n' >"$SESSION_DIR/expected_inf"
cmp -s "$SESSION_DIR/expected_inf" "$data/qor_inf" ||
    fail "qor_inf after OK is [$(od -An -c "$data/qor_inf" | tr -s ' \n' ' ')]"
[[ -f $data/qor_bgm ]] || fail "OK did not create qor_bgm"
[[ -f $data/qor_gray ]] || fail "OK did not keep qor_gray"
[[ ! -e $data/qor_sepia ]] || fail "OK did not delete qor_sepia"
[[ -f $data/qor_effect1 && ! -e $data/qor_effect1.bmp ]] || fail "the preview file lost its name"
echo "PASS"
