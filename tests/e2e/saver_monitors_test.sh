#!/usr/bin/env bash
# The show started by the user (/s) on a desktop of two monitors: the primary monitor shows it exactly as a
# single monitor would, the other goes black (a window standing there is covered), and input on the other
# monitor counts as input on the saver: four mouse movements there leave the show running, the fifth ends
# it, a click or a key there ends it. Once the windows are gone a new start is not refused.
source "$(dirname "$0")/lib.sh"

start_two_monitors 640 480
prog=$(make_saver Twin)
data=$(data_folder Twin)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1111111111111111 2 1
decoded "$data/qor_0" "$WORK/p0.rgb"

# White windows standing on each monitor (Xephyr's root is black, so they show what stays uncovered).
for geometry in "40 40 120 100" "700 100 200 200"; do
    out="$WORK/window.$RANDOM"
    # shellcheck disable=SC2086
    "$VIS_XPROBE" host-window $geometry >"$out" &
    PIDS+=($!)
    for i in $(seq 1 50); do
        [[ -s "$out" ]] && break
        sleep 0.1
    done
done
"$VIS_XPROBE" wait-colours 0 5000 41,41,ffffff 701,101,ffffff 899,299,ffffff >/dev/null ||
    fail "the windows on the two monitors did not appear"

# run_until_ready: the pointer on the second monitor, the show started, picture 0 in the primary's centre.
run_until_ready() {
    xdotool mousemove 960 240
    start_saver "$prog" /s
    wait_saver_window 5
    out=$("$VIS_XPROBE" wait-region 220 165 200 150 "$WORK/p0.rgb" 3 8000) ||
        fail "picture 0 did not appear in the primary monitor's centre: $out"
}
# expect_end WHAT: the show ends within 3 s with status 0.
expect_end() {
    wait_end "$SAVER_PID" 3
    ((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after $1"
    note "$1 ended the show"
}

run_until_ready
out=$("$VIS_XPROBE" wait-colours 0 5000 41,41,000000 701,101,000000 899,299,000000 1279,479,000000 640,0,000000) ||
    fail "the windows are not covered black: $out"
import -window root "$WORK/two.png"
[[ -n "${VIS_E2E_SHOT:-}" ]] && cp "$WORK/two.png" "$VIS_E2E_SHOT"

note "mouse movements on the second monitor"
for i in 1 2 3 4; do
    xdotool mousemove $((960 + 7 * i)) 240
    sleep 0.2
done
sleep 1
running "$SAVER_PID" || fail "the show ended after four mouse movements"
xdotool mousemove 1000 260
first=$SAVER_PID

note "a new start as soon as the windows are gone"
for i in $(seq 1 300); do
    xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 || break
    sleep 0.01
done
xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 && fail "the saver's windows stayed after its end"
run_until_ready
second=$SAVER_PID
SAVER_PID=$first
expect_end "the fifth mouse movement on the second monitor"
SAVER_PID=$second
running "$SAVER_PID" || fail "the new start was refused"
note "a click on the second monitor"
xdotool click 1
expect_end "a click on the second monitor"

run_until_ready
xdotool key x
expect_end "a key"
out=$("$VIS_XPROBE" wait-colours 0 5000 41,41,ffffff 701,101,ffffff) || fail "the windows were not uncovered: $out"
echo "PASS"
