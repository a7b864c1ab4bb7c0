#!/usr/bin/env bash
# A music device that cannot be opened: the error box (caption "Vistrelle") comes up, and once it is
# closed the show runs without music.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Mute)
data=$(data_folder Mute)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1000000000000000 2 1
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0f\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x40\x00\xff\x2f\x00' \
    >"$data/qor_bgm.mid"
: >"$data/qor_bgm"
decoded "$data/qor_0" "$WORK/p0.rgb"

# A driver fluidsynth does not have stands for a machine without a sound device.
export VISTRELLE_AUDIO=no-such-driver
start_saver "$prog" /s
box=""
for i in $(seq 1 50); do
    box=$(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null | head -n1 || true)
    [[ -n "$box" ]] && break
    sleep 0.1
done
[[ -n "$box" ]] || fail "no error box captioned Vistrelle appeared"
note "the error box is up: $(xdotool getwindowname "$box")"
import -window root "$WORK/box.png"
[[ -n "${VIS_E2E_SHOT:-}" ]] && cp "$WORK/box.png" "$VIS_E2E_SHOT"
running "$SAVER_PID" || fail "the program ended at the error"

xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
"$VIS_XPROBE" wait-region 220 165 200 150 "$WORK/p0.rgb" 3 6000 >/dev/null ||
    fail "the show did not go on after the error box"
running "$SAVER_PID" || fail "the show ended"
xdotool key Escape
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS"
echo "PASS"
