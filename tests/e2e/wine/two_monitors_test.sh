#!/usr/bin/env bash
# The saver under Wine on two monitors side by side (1280 x 720 each, the primary on the left): the slideshow
# runs on the primary monitor at its size, centred there; a window standing on the second monitor is covered
# by a black top-most window of the saver while it runs and shows again after it ended. Input on the second
# monitor is the saver's input: the cover appearing under the pointer is no movement, four movements there
# are ignored and the fifth ends the saver; a click there ends it; so does a key.
source "$(dirname "$0")/wine-env.sh"
command -v display >/dev/null || { echo "SKIP: ImageMagick's display not installed"; exit 77; }
WPROBE="$VIS_ROOT/build/windows/wprobe.exe"
[[ -f $WPROBE ]] || fail "$WPROBE is missing (make windows)"
wine_prefix_ready
wine_two_monitor_session_start

monitors=$(run_wine 30 "$WPROBE" monitors | tr -d '\r')
note "Wine reports: $(echo "$monitors" | tr '\n' ';')"
[[ $monitors == *"count 2"* ]] || fail "Wine does not report the two monitors of the nested X server"
grep -qx "screen $MONITOR_W $MONITOR_H" <<<"$monitors" || fail "the screen is not the primary monitor"
grep -qx "monitor 0 0 $MONITOR_W $MONITOR_H primary" <<<"$monitors" || fail "no primary monitor at 0,0"
grep -qx "monitor $MONITOR_W 0 $MONITOR_W $MONITOR_H" <<<"$monitors" || fail "no second monitor beside the primary"

cut_show_folder two

# An ordinary window standing on the second monitor, left of its middle.
convert -size 400x300 xc:gray50 "$SESSION_DIR/grey.png"
display -geometry +$((MONITOR_W + 200))+200 "$SESSION_DIR/grey.png" {VIS_PREFIX_LOCK}>&- &
display_pid=$!
SESSION_END="kill $display_pid"
gx=$((MONITOR_W + 400)) gy=350 # inside the grey window
shot="$SESSION_DIR/shot.xwd"
grey_shown() {
    xwd -root -silent >"$shot"
    near "$(xwd_pixel "$shot" "$gx" "$gy")" 127,127,127 4
}
for _ in $(seq 40); do
    grey_shown && break
    sleep 0.5
done
grey_shown || fail "the grey window did not appear on the second monitor"

start_saver() { start_saver_by_path "$saver" "the saver ended before its window appeared"; }
ended_with_0() {
    local status=0
    wait "$tpid" || status=$?
    [[ $status -eq 0 ]] || fail "the saver ended with status $status after $1"
}
still_running() {
    sleep 0.4
    kill -0 "$tpid" 2>/dev/null || fail "the saver ended after $1"
}

# --- The show on the primary, the cover on the second monitor ------------------------------------------------
xdotool mousemove $((MONITOR_W + 900)) 600
start_saver
windows=$(run_wine 30 "$WPROBE" windows TFmqv | tr -d '\r')
covers=$(run_wine 30 "$WPROBE" windows TFmqvCover | tr -d '\r' || true)
note "saver: $windows"
note "covers: $covers"
[[ $windows == "window TFmqv 0 0 $MONITOR_W $MONITOR_H "*" visible "* ]] ||
    fail "the saver window does not cover exactly the primary monitor"
[[ $(grep -c '^window TFmqvCover' <<<"$covers") -eq 1 ]] || fail "not exactly one cover window"
[[ $covers == "window TFmqvCover $MONITOR_W 0 $MONITOR_W $MONITOR_H "*" visible "* ]] ||
    fail "the cover window does not cover exactly the second monitor"
exstyle=$(sed -n 's/.* exstyle \([0-9a-f]*\) .*/\1/p' <<<"$covers")
((0x$exstyle & 0x8)) || fail "the cover window is not top-most (extended style $exstyle)"

# Picture 0 (200 x 150) centred on the primary monitor (not on the whole desktop), black around it and all
# over the second monitor.
cx=$((MONITOR_W / 2)) cy=$((MONITOR_H / 2))
picture_on_primary() {
    xwd -root -silent >"$shot"
    near "$(xwd_pixel "$shot" $((cx - 50)) $((cy - 37)))" 255,0,0 &&
        near "$(xwd_pixel "$shot" $((cx + 50)) $((cy - 37)))" 0,255,0 &&
        near "$(xwd_pixel "$shot" $((cx - 50)) $((cy + 37)))" 0,0,255 &&
        near "$(xwd_pixel "$shot" $((cx + 50)) $((cy + 37)))" 255,255,0 &&
        near "$(xwd_pixel "$shot" $((cx - 104)) "$cy")" 0,0,0 4 &&
        near "$(xwd_pixel "$shot" $((cx + 104)) "$cy")" 0,0,0 4
}
# Not faster: a dump of the whole nested screen is slow enough for back-to-back dumps to starve the saver's
# drawing.
for _ in $(seq 40); do
    picture_on_primary && break
    sleep 0.5
done
if ! picture_on_primary; then
    convert "$shot" "$VIS_ROOT/build/wine-two-monitors-failed.png"
    kill -0 "$tpid" 2>/dev/null || fail "the saver ended before picture 0 showed"
    fail "picture 0 is not centred on the primary monitor (centre $(xwd_pixel "$shot" "$cx" "$cy"), see build/wine-two-monitors-failed.png)"
fi
convert "$shot" "$VIS_ROOT/build/wine-two-monitors.png"
for at in "$gx,$gy" "$((MONITOR_W + 201)),201" "$((MONITOR_W + 599)),499" "$MONITOR_W,0" \
    "$((2 * MONITOR_W - 1)),$((MONITOR_H - 1))" "$((MONITOR_W + MONITOR_W / 2)),$cy"; do
    near "$(xwd_pixel "$shot" "${at%,*}" "${at#*,}")" 0,0,0 4 || fail "the second monitor is not black at $at"
done
note "the show is on the primary monitor, the second one is black"

# The cover appeared under the pointer (no movement); four movements on the second monitor leave the saver
# running, the fifth ends it.
for i in 1 2 3 4; do
    xdotool mousemove $((MONITOR_W + 900 + i * 10)) 600
    still_running "$i mouse movements on the second monitor"
done
xdotool mousemove $((MONITOR_W + 300)) 300
ended_with_0 "the fifth movement on the second monitor"
note "four movements on the second monitor ignored, the fifth ended the saver"
for _ in $(seq 20); do
    grey_shown && break
    sleep 0.5
done
grey_shown || fail "the second monitor did not show the grey window again after the saver ended"
[[ -z $(run_wine 30 "$WPROBE" windows TFmqvCover | tr -d '\r' | grep visible || true) ]] ||
    fail "a cover window is left after the saver ended"

# --- A click on the second monitor ends the saver at once ----------------------------------------------------
start_saver
xdotool mousemove $((MONITOR_W + 640)) 360 click 1
ended_with_0 "a click on the second monitor"
note "a click on the second monitor ended the saver"

# --- A key with the pointer on the second monitor --------------------------------------------------------------
start_saver
xdotool key space
ended_with_0 "a key"
echo "PASS"
