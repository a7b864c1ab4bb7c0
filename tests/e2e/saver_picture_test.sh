#!/usr/bin/env bash
# The show on the screen: black at first, picture 0 centred about one second after the start, exactly as
# decoded; then the next picture in its place; the rest of the screen black throughout.
source "$(dirname "$0")/lib.sh"

start_xvfb 800 600
prog=$(make_saver Show)
data=$(data_folder Show)
make_picture "$data/qor_0" 300 200
make_picture "$data/qor_1" 160 120
# Only the cut (effect 1): each picture stands still until the state machine blacks it out.
write_inf "$data" 1 1000000000000000 2 1
decoded "$data/qor_0" "$WORK/p0.rgb"
decoded "$data/qor_1" "$WORK/p1.rgb"

start_saver "$prog" /s
wait_saver_window 5
win=$(xdotool search --onlyvisible --name '^Fmqv$' | head -n1)
geometry=$(xdotool getwindowgeometry "$win" | tr -s ' ' | tr '\n' ' ')
[[ "$geometry" == *"Position: 0,0 "* && "$geometry" == *"Geometry: 800x600"* ]] ||
    fail "the saver window is not full-screen at (0, 0): $geometry"
# Picture 0 is 300 x 200 on 800 x 600: centred at (250, 200).
probe_start_ns=$(date +%s%N)
out=$("$VIS_XPROBE" wait-region 250 200 300 200 "$WORK/p0.rgb" 3 6000 "$WORK/p0.got") ||
    fail "picture 0 never appeared as decoded at (250, 200): $out"
ms=$((${out#match } + (probe_start_ns - SAVER_START_NS) / 1000000))
note "picture 0 appeared ${ms} ms after the start"
((ms >= 800 && ms <= 2500)) || fail "picture 0 appeared after $ms ms, not about one second"

# Picture 1, 160 x 120, centred at (320, 240), after the first transition.
out=$("$VIS_XPROBE" wait-region 320 240 160 120 "$WORK/p1.rgb" 3 8000) ||
    fail "picture 1 never appeared at (320, 240): $out"
import -window root "$WORK/screen.png"
running "$SAVER_PID" || fail "the saver ended by itself"
# Outside picture 0's place nothing was ever drawn.
for p in "0 0" "799 599" "249 300" "550 300" "400 199" "400 400" "10 590"; do
    # shellcheck disable=SC2086
    set -- $p
    c=$(convert "$WORK/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n1 | sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/')
    [[ "$c" == "0,0,0" ]] || fail "pixel ($1, $2) is $c, not black"
done
[[ -n "${VIS_E2E_SHOT:-}" ]] && cp "$WORK/screen.png" "$VIS_E2E_SHOT"

xdotool key space
wait_end "$SAVER_PID" 5
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after a key"
echo "PASS"
