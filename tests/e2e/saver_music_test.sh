#!/usr/bin/env bash
# The music: with qor_bgm and qor_bgm.mid a piece shorter than one display time restarts from the
# beginning several times, each time on a freshly opened device, and no device is left open at the end.
# Without the marker nothing is opened. With file output the soundfont really sounds.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Music)
data=$(data_folder Music)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1111111111111111 4 1

# A standard MIDI file: one middle C of one quarter note at 120 beats a minute, 0.5 s in all.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0f\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x40\x00\xff\x2f\x00' \
    >"$data/qor_bgm.mid"

export VISTRELLE_MEDIA_LOG="$WORK/media.log"

note "the file without the marker: no device"
start_saver "$prog" /s
wait_saver_window 5
sleep 2
xdotool key Escape
wait_end "$SAVER_PID" 3
[[ ! -e "$VISTRELLE_MEDIA_LOG" ]] || fail "a device was opened without qor_bgm: $(cat "$VISTRELLE_MEDIA_LOG")"

note "file and marker: the piece loops"
: >"$data/qor_bgm"
start_saver "$prog" /s
wait_saver_window 5
sleep 3.5
running "$SAVER_PID" || fail "the show ended by itself"
ends=$(grep -c '^end$' "$VISTRELLE_MEDIA_LOG" || true)
note "in 3.5 s the piece ended $ends times"
((ends >= 4)) || fail "the 0.5 s piece ended only $ends times in 3.5 s"
grep -q "^open $data/qor_bgm.mid$" "$VISTRELLE_MEDIA_LOG" || fail "not the data folder's qor_bgm.mid"
xdotool key Escape
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS"
opens=$(grep -c '^open ' "$VISTRELLE_MEDIA_LOG")
ends=$(grep -c '^end$' "$VISTRELLE_MEDIA_LOG")
closes=$(grep -c '^close$' "$VISTRELLE_MEDIA_LOG")
((opens == ends + 1)) || fail "$opens opens for $ends ends: each end must reopen once"
((opens == closes)) || fail "$opens opens but $closes closes: a device stayed open"
[[ $(tail -n1 "$VISTRELLE_MEDIA_LOG") == close ]] || fail "the log does not end with the close"
# Each restart is close, open, play in this order.
grep -v '^end$' "$VISTRELLE_MEDIA_LOG" | sed 's/^open .*/open/' | tr '\n' ' ' >"$WORK/sequence"
[[ "$(sed -E 's/(open play close )+//' "$WORK/sequence")" == "" ]] || fail "unexpected order: $(cat "$WORK/sequence")"

note "file output: the music is rendered with the soundfont"
rm -f "$VISTRELLE_MEDIA_LOG"
export VISTRELLE_AUDIO="file:$WORK/music.raw"
start_saver "$prog" /s
wait_saver_window 5
sleep 1.5
xdotool key Escape
wait_end "$SAVER_PID" 3
[[ -s "$WORK/music.raw" ]] || fail "no audio was written"
nonzero=$(od -An -v -tx1 "$WORK/music.raw" | tr -s ' ' '\n' | grep -cv '^00$\|^$' || true)
note "$(stat -c %s "$WORK/music.raw") bytes of audio, $nonzero of them not zero"
((nonzero > 1000)) || fail "the rendered audio is silent"
echo "PASS"
