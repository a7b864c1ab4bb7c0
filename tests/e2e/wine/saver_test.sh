#!/usr/bin/env bash
# The saver under Wine: NAME.scr /s beside velloran shows picture 0 centred about one second after its window
# appears, then the next picture; a second start of any role ends at once while it runs; the system's
# screen saver is off while it runs and on again after a key ended it; it keeps the processor idle.
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
wine_session_start

# A folder name outside any Western code page: the program must use the wide calls throughout.
base="$(drive_c)/セーバー試験"
rm -rf "$base"
mkdir -p "$base/velloran/Demo"
cp "$QV_EXE" "$base/Demo.scr"
cp "$QV_EXE" "$base/Other.scr"
data="$base/velloran/Demo"
quadrant_jpeg "$data/qor_0" 200 150 red lime blue yellow
quadrant_jpeg "$data/qor_1" 300 200 white magenta cyan gray50
# Only the cut effect, 10 s display, 1 s pause.
printf '1\r\n1000000000000000\r\n10\r\n1\r\n' >"$data/qor_inf"
printf 'old installer' >"$data/install.exe"
saver=$(winepath_of "$base/Demo.scr")

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

timeout -k 2 90 wine "$saver" /s &
tpid=$!
t0=$(now)
# The Windows program is the child of timeout; wine execs into it, so its PID stays.
wpid=""
for _ in $(seq 100); do
    wpid=$(pgrep -P "$tpid" | head -n1 || true)
    [[ -n $wpid ]] && break
    sleep 0.05
done
[[ -n $wpid ]] || fail "the saver process did not start"
tr '\0' ' ' <"/proc/$wpid/cmdline" | grep -q 'Demo.scr' || fail "process $wpid is not the saver"

# The window appears (caption "Fmqv").
twin=""
for _ in $(seq 300); do
    if xdotool search --name '^Fmqv$' >/dev/null 2>&1; then
        twin=$(now)
        break
    fi
    kill -0 "$tpid" 2>/dev/null || fail "the saver ended before its window appeared"
    sleep 0.05
done
[[ -n $twin ]] || fail "no saver window within 15 s"
note "window after $(elapsed "$t0") s"

cx=$((SCREEN_W / 2)) cy=$((SCREEN_H / 2))
# Picture 0 (200 x 150) centred: its quadrants' middles, and black just outside its edges.
check_picture0() {
    near "$(pixel_of "$1" $((cx - 50)) $((cy - 37)))" 255,0,0 &&
        near "$(pixel_of "$1" $((cx + 50)) $((cy - 37)))" 0,255,0 &&
        near "$(pixel_of "$1" $((cx - 50)) $((cy + 37)))" 0,0,255 &&
        near "$(pixel_of "$1" $((cx + 50)) $((cy + 37)))" 255,255,0 &&
        near "$(pixel_of "$1" $((cx - 104)) "$cy")" 0,0,0 4 &&
        near "$(pixel_of "$1" $((cx + 104)) "$cy")" 0,0,0 4 &&
        near "$(pixel_of "$1" "$cx" $((cy - 79)))" 0,0,0 4 &&
        near "$(pixel_of "$1" "$cx" $((cy + 79)))" 0,0,0 4
}
# Picture 1 (300 x 200) centred.
check_picture1() {
    near "$(pixel_of "$1" $((cx - 75)) $((cy - 50)))" 255,255,255 &&
        near "$(pixel_of "$1" $((cx + 75)) $((cy - 50)))" 255,0,255 &&
        near "$(pixel_of "$1" $((cx - 75)) $((cy + 50)))" 0,255,255 &&
        near "$(pixel_of "$1" $((cx + 75)) $((cy + 50)))" 127,127,127 &&
        near "$(pixel_of "$1" $((cx - 154)) "$cy")" 0,0,0 4
}

# Frames back to back for 3 s after the window appeared (picture 0 stays only about 100 ms). One pixel inside
# both pictures' lower-right quadrant tells them apart: yellow for picture 0, grey for picture 1.
first_at="" pic1_at=""
frame="$SESSION_DIR/frame.xwd"
while (($(echo "$(now) - $twin < 3" | bc))); do
    xwd -root -silent >"$frame"
    at=$(echo "$(now) - $twin" | bc)
    mark=$(xwd_pixel "$frame" $((cx + 50)) $((cy + 37)))
    near "$mark" 0,0,0 4 && continue
    if [[ -z $first_at ]]; then
        first_at=$at
        mv "$frame" "$SESSION_DIR/picture0.xwd"
    elif near "$mark" 127,127,127; then
        pic1_at=$at
        mv "$frame" "$SESSION_DIR/picture1.xwd"
        break
    fi
done
[[ -n $first_at ]] || fail "picture 0 did not appear within 3 s of the window"
check_picture0 "$SESSION_DIR/picture0.xwd" || fail "the first picture on the screen is not picture 0 centred"
convert "$SESSION_DIR/picture0.xwd" "$VIS_ROOT/build/wine-saver-picture0.png"
note "picture 0 at ${first_at} s after the window appeared"
(($(echo "$first_at >= 0.8 && $first_at <= 2.0" | bc))) || fail "picture 0 came at ${first_at} s, not about 1 s"
[[ -n $pic1_at ]] || fail "picture 1 did not follow within 3 s"
check_picture1 "$SESSION_DIR/picture1.xwd" || fail "the second picture on the screen is not picture 1 centred"
note "picture 1 at ${pic1_at} s"
[[ ! -e $data/install.exe ]] || fail "install.exe was not deleted from the data folder"

# A second start while one runs ends at once, in any role and under any saver name.
for args in "Demo.scr /s" "Other.scr /c" "Other.scr"; do
    set -- $args
    ts=$(now)
    status=0
    run_wine 20 "$(winepath_of "$base/$1")" ${2:+"$2"} || status=$?
    [[ $status -eq 3 ]] || fail "a second start ($args) ended with $status, not 3 (another instance)"
    note "second start ($args) ended in $(elapsed "$ts") s"
done
kill -0 "$wpid" 2>/dev/null || fail "the running saver ended"

# Processor share over 10 s of display.
hz=$(getconf CLK_TCK)
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
m0=$(now)
sleep 10
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
span=$(elapsed "$m0")
share=$(echo "scale=2; 100 * ($u2 + $s2 - $u1 - $s1) / $hz / $span" | bc)
note "CPU share of the saver over ${span} s of display: ${share} % ($((u2 + s2 - u1 - s1)) ticks of 1/$hz s)"
(($(echo "$share < 5" | bc))) || fail "the saver used ${share} % of a processor while showing a picture"

active=$(run_wine 30 reg query 'HKCU\Control Panel\Desktop' /v ScreenSaveActive 2>/dev/null | tr -d '\r' |
    awk '$1 == "ScreenSaveActive" {print $3}')
[[ $active == 0 ]] || fail "ScreenSaveActive is '$active' while the saver runs, not 0"

# Any key ends it.
te=$(now)
xdotool key space
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status after a key"
note "ended $(elapsed "$te") s after the key"
active=$(run_wine 30 reg query 'HKCU\Control Panel\Desktop' /v ScreenSaveActive 2>/dev/null | tr -d '\r' |
    awk '$1 == "ScreenSaveActive" {print $3}')
[[ $active == 1 ]] || fail "ScreenSaveActive is '$active' after the saver ended, not 1"
echo "PASS"
