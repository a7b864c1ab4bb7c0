#!/usr/bin/env bash
# A qor_bgm.mid the player cannot parse (cut off, or with SMPTE timing) is one failed open: one error box, no
# reload, and the show runs on without music with the processor near idle.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Broken)
data=$(data_folder Broken)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1000000000000000 2 1
: >"$data/qor_bgm"
# One middle C of a quarter note: a header with 96 ticks a quarter note, or SMPTE timing (25 frames of 40).
smf() {
    printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01%bMTrk\x00\x00\x00\x0f' "$1"
    printf '\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x40\x00\xff\x2f\x00'
}
export VISTRELLE_MEDIA_LOG="$WORK/media.log"

# cpu_ticks PID: user and system clock ticks the process has used.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

for kind in cut smpte; do
    if [[ $kind == cut ]]; then
        # The track announces 15 bytes; the file ends after 9 of them.
        smf '\x00\x60' | head -c 31 >"$data/qor_bgm.mid"
    else
        smf '\xe7\x28' >"$data/qor_bgm.mid"
    fi
    [[ $(head -c 4 "$data/qor_bgm.mid") == MThd ]] || fail "no test file"
    rm -f "$VISTRELLE_MEDIA_LOG"
    note "$kind: $(stat -c %s "$data/qor_bgm.mid") bytes"
    start_saver "$prog" /s
    box=""
    for i in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null | head -n1 || true)
        [[ -n "$box" ]] && break
        sleep 0.1
    done
    [[ -n "$box" ]] || fail "$kind: no error box"
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    for i in $(seq 1 50); do
        xdotool search --onlyvisible --name '^Vistrelle$' >/dev/null 2>&1 || break
        sleep 0.1
    done
    start=$(cpu_ticks "$SAVER_PID")
    sleep 10
    running "$SAVER_PID" || fail "$kind: the show ended"
    used=$(($(cpu_ticks "$SAVER_PID") - start))
    hz=$(getconf CLK_TCK)
    note "$kind: $used clock ticks (of $hz a second) in 10 s"
    ((used * 100 < hz * 10 * 5)) || fail "$kind: the saver used $used ticks in 10 s, more than 5 % of a core"
    if xdotool search --onlyvisible --name '^Vistrelle$' >/dev/null 2>&1; then fail "$kind: a second error box"; fi
    [[ $(grep -c '^open ' "$VISTRELLE_MEDIA_LOG") == 1 ]] || fail "$kind: opened more than once: $(cat "$VISTRELLE_MEDIA_LOG")"
    [[ $(grep -c '^refused ' "$VISTRELLE_MEDIA_LOG") == 1 ]] || fail "$kind: $(cat "$VISTRELLE_MEDIA_LOG")"
    ! grep -q '^play' "$VISTRELLE_MEDIA_LOG" || fail "$kind: a refused file was played"
    note "$kind: $(grep '^refused' "$VISTRELLE_MEDIA_LOG")"
    xdotool key Escape
    wait_end "$SAVER_PID" 5
done
echo "PASS"
