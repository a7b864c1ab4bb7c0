#!/usr/bin/env bash
# Ending the show: four mouse movements leave it running and the fifth ends it; any key (an Alt
# combination too) ends it; a mouse click ends it. Each end is a normal exit.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Input)
data=$(data_folder Input)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1111111111111111 1 1

# run_until_ready: starts the saver and waits for its window and its first picture.
run_until_ready() {
    xdotool mousemove 320 240
    start_saver "$prog" /s
    wait_saver_window 5
    decoded "$data/qor_0" "$WORK/p0.rgb"
    "$VIS_XPROBE" wait-region 220 165 200 150 "$WORK/p0.rgb" 3 6000 >/dev/null || fail "picture 0 did not appear"
}

# expect_end WHAT: the saver ends within 3 s with status 0.
expect_end() {
    wait_end "$SAVER_PID" 3
    ((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after $1"
    note "$1 ended the show"
}

note "mouse movements"
run_until_ready
for i in 1 2 3 4; do
    xdotool mousemove $((320 + i)) 240
    sleep 0.2
done
sleep 1
running "$SAVER_PID" || fail "the show ended after four mouse movements"
xdotool mousemove 330 240
expect_end "the fifth mouse movement"

note "a key"
run_until_ready
xdotool key x
expect_end "the key x"

note "an Alt combination"
run_until_ready
xdotool key alt+Tab
expect_end "Alt+Tab"

note "a left click"
run_until_ready
xdotool click 1
expect_end "a left click"

note "a right click"
run_until_ready
xdotool click 3
expect_end "a right click"

echo "PASS"
