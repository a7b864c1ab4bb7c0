#!/usr/bin/env bash
# The ends without a window: a second start while one runs (status 3), a data folder without qor_1
# (status 4), and the preview request /p (status 0). Those runs get no display at all, so an attempt to
# open a window would end differently.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver First)
data=$(data_folder First)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1111111111111111 2 1

other=$(make_saver Second)
odata=$(data_folder Second)
make_picture "$odata/qor_0" 200 150
make_picture "$odata/qor_1" 120 90
write_inf "$odata" 1 1111111111111111 2 1

# without_display PROGRAM ARGS...: runs to the end with no display; the status is left in EXIT_STATUS.
without_display() {
    set +e
    timeout 10 env -u DISPLAY "$@" >"$WORK/silent.log" 2>&1
    EXIT_STATUS=$?
    set -e
}

start_saver "$prog" /s
first_pid=$SAVER_PID
wait_saver_window 5

note "a second start of the same saver"
without_display "$prog" /s
((EXIT_STATUS == 3)) || fail "second start ended with $EXIT_STATUS, not 3: $(cat "$WORK/silent.log")"
note "another saver (another name and folder) while the first runs"
without_display "$other" /s
((EXIT_STATUS == 3)) || fail "another saver ended with $EXIT_STATUS, not 3"
note "its settings"
without_display "$other" /c
((EXIT_STATUS == 3)) || fail "the settings role ended with $EXIT_STATUS, not 3"
running "$first_pid" || fail "the first saver ended"
[[ $(xdotool search --onlyvisible --name '^Fmqv$' | wc -l) -eq 1 ]] || fail "more than one saver window"

xdotool key Escape
wait_end "$first_pid" 3

note "no qor_1"
rm "$odata/qor_1"
without_display "$other" /s
((EXIT_STATUS == 4)) || fail "a folder without qor_1 ended with $EXIT_STATUS, not 4: $(cat "$WORK/silent.log")"
[[ ! -s "$WORK/silent.log" ]] || fail "the silent end printed: $(cat "$WORK/silent.log")"

note "the preview request"
without_display "$prog" /p
((EXIT_STATUS == 0)) || fail "/p ended with $EXIT_STATUS, not 0"

note "after the first saver ended, a start runs again"
start_saver "$prog" /s
wait_saver_window 5
xdotool key Escape
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 0)) || fail "the restarted saver ended with $EXIT_STATUS"
echo "PASS"
