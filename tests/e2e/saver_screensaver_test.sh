#!/usr/bin/env bash
# The X server's own screen saver: suspended while the show runs, working again after the show ends,
# whether it ends on a key, on SIGTERM or SIGINT (after which the program dies by that signal, as its
# parent expects), or by being killed outright.
# The server's saver is set to come on after 1 s without input; while suspended it stays off.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Blank)
data=$(data_folder Blank)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1111111111111111 2 1
xset s 1 1

state() { "$VIS_XPROBE" xss-state; }

# check_suspended: two idle seconds with the saver up leave the server's saver off.
check_suspended() {
    xset s reset
    start_saver "$prog" /s
    wait_saver_window 5
    sleep 2.5
    [[ $(state) == off ]] || fail "the X screen saver came on while the show ran ($(state))"
    running "$SAVER_PID" || fail "the show ended by itself"
}
# check_restored HOW: two idle seconds after the end bring the server's saver on.
check_restored() {
    sleep 2.5
    [[ $(state) == on ]] || fail "the X screen saver stayed off after $1 ($(state))"
    note "after $1 the X screen saver works again"
}

note "a control run: without the show the server's saver comes on"
xset s reset
check_restored "nothing"

check_suspended
xdotool key Escape
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after a key"
check_restored "a key"

check_suspended
kill -TERM "$SAVER_PID"
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 143)) || fail "exit status $EXIT_STATUS after SIGTERM, not 143 (death by SIGTERM)"
check_restored "SIGTERM"

check_suspended
kill -INT "$SAVER_PID"
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 130)) || fail "exit status $EXIT_STATUS after SIGINT, not 130 (death by SIGINT)"
check_restored "SIGINT"

check_suspended
kill -KILL "$SAVER_PID"
wait_end "$SAVER_PID" 3
check_restored "SIGKILL"
echo "PASS"
