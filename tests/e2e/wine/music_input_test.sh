#!/usr/bin/env bash
# Music and input under Wine. With qor_bgm and a MIDI file the saver opens the MCI sequencer without an
# error and its loop stays idle; four mouse movements leave it running and the fifth ends it. A damaged
# MIDI file gives the system's MCI error text in an error box captioned "Vistrelle", after which the show
# goes on; so does a cut-off one, once, without being reopened.
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
wine_session_start

cut_show_folder music
# A standard MIDI file, format 0: one short note, then the end of the track.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0c\x00\x90\x3c\x40\x60\x80\x3c\x00\x00\xff\x2f\x00' \
    >"$data/qor_bgm.mid"
touch "$data/qor_bgm"

# Waits up to 5 s for an error box.
wait_for_error_box() {
    for _ in $(seq 100); do
        error_box_shown && return 0
        sleep 0.05
    done
}
start_saver() {
    timeout -k 2 60 wine "$saver" /s 2>/dev/null &
    tpid=$!
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 && break
        kill -0 "$tpid" 2>/dev/null || fail "the saver ended before its window appeared"
        sleep 0.05
    done
    wpid=$(pgrep -P "$tpid" | head -n1 || true)
    [[ -n $wpid ]] || fail "no saver process"
}
error_box_shown() { xdotool search --onlyvisible --name '^Vistrelle$' >/dev/null 2>&1; }

start_saver
sleep 2.5
error_box_shown && fail "an error box appeared although the music file is sound"
hz=$(getconf CLK_TCK)
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
sleep 5
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
ticks=$((u2 + s2 - u1 - s1))
note "CPU with music over 5 s: $ticks ticks of 1/$hz s"
((ticks * 100 < 5 * 5 * hz)) || fail "the saver used more than 5 % of a processor while the music played"
# The pointer starts where the window appeared; the system's own move at that point is no movement.
for i in 1 2 3 4; do
    xdotool mousemove $((100 + i * 10)) 100
    sleep 0.3
    kill -0 "$tpid" 2>/dev/null || fail "the saver ended after $i mouse movements"
done
xdotool mousemove 300 300
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status after the fifth movement"
note "four movements ignored, the fifth ended the saver"

printf 'not a MIDI file' >"$data/qor_bgm.mid"
xdotool mousemove 700 500
start_saver
wait_for_error_box
error_box_shown || fail "no error box for a damaged music file"
xdotool key Return
sleep 1.5
kill -0 "$tpid" 2>/dev/null || fail "the saver ended with the error box"
error_box_shown && fail "the error box did not close on Return"
shot="$SESSION_DIR/after-error.xwd"
xwd -root -silent >"$shot"
near "$(pixel_of "$shot" $((SCREEN_W / 2 + 50)) $((SCREEN_H / 2 + 37)))" 255,255,0 ||
    fail "the show did not go on after the error box"
xdotool key space
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status after a key"

# A file cut off inside its track: one error at the open, whether MCI or the program's own check refuses it,
# and no reopening afterwards (no second box, the processor idle).
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0d\x00\x90\x3c\x40' >"$data/qor_bgm.mid"
xdotool mousemove 700 500
start_saver
wait_for_error_box
error_box_shown || fail "no error box for a cut-off music file"
xdotool key Return
sleep 1.5
error_box_shown && fail "a second error box for the cut-off music file"
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
sleep 5
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$wpid/stat")
ticks=$((u2 + s2 - u1 - s1))
note "CPU after a refused music file over 5 s: $ticks ticks of 1/$hz s"
((ticks * 100 < 5 * 5 * hz)) || fail "the saver used more than 5 % of a processor after refusing the music"
error_box_shown && fail "the music was reopened"
xdotool key space
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status after a key"
echo "PASS"
