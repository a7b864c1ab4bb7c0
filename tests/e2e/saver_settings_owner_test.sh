#!/usr/bin/env bash
# OK in the settings dialog of the real program rewrites qor_inf without changing whose it is or who may read
# it: as root on a 0640 file of another user, mode and owner stay; as an unprivileged user who may write
# qor_inf but not create files in its folder (a folder shared by several users), the save succeeds in place
# and leaves no file behind.
source "$(dirname "$0")/lib.sh"
(($(id -u) == 0)) || skip "needs root to hand files to other users"
command -v setpriv >/dev/null || skip "setpriv is not installed"

start_xvfb 1024 768
chmod 755 "$WORK"

# ok_in_dialog PROGRAM [COMMAND PREFIX...]: opens the dialog, clicks OK, waits for the program to end.
ok_in_dialog() {
    local prog=$1 wid="" i
    shift
    start_saver "$@" "$prog" /c
    for i in $(seq 1 100); do
        wid=$(xdotool search --onlyvisible --name '^setting for vistrelle' 2>/dev/null | head -n1 || true)
        [[ -n "$wid" ]] && break
        sleep 0.1
    done
    [[ -n "$wid" ]] || fail "the dialog did not open"
    xdotool mousemove --window "$wid" 275 175 click 1 # OK
    wait_end "$SAVER_PID" 10
    ((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS"
    # An error box would have kept the program running; none may have come.
    if xdotool search --onlyvisible --name '^Vistrelle' >/dev/null 2>&1; then fail "an error box came up"; fi
}

make_folder() {
    local name=$1 data
    prog=$(make_saver "$name")
    data=$(data_folder "$name")
    printf '3\r\n1011111111111111\r\n25\r\n0\r\n' >"$data/qor_inf"
    make_picture "$data/qor_0" 40 30
    make_picture "$data/qor_1" 40 30
    convert -size 287x120 xc:'#FF00FF' -type TrueColor "BMP3:$data/qor_effect1"
    echo "$data"
}

note "root saves a 0640 qor_inf of user 1234"
data=$(make_folder Shared)
prog="$WORK/saver/Shared.scr"
chown 1234:1234 "$data/qor_inf"
chmod 0640 "$data/qor_inf"
ok_in_dialog "$prog"
[[ $(stat -c '%a %u %g' "$data/qor_inf") == "640 1234 1234" ]] ||
    fail "qor_inf is now $(stat -c '%a %u %g' "$data/qor_inf"), not 640 1234 1234"
[[ $(cat "$data/qor_inf") == $'3\r\n1011111111111111\r\n10\r\n1\r' ]] || fail "qor_inf holds $(od -c "$data/qor_inf")"

note "an unprivileged user saves in a folder they cannot write"
data=$(make_folder Locked)
prog="$WORK/saver/Locked.scr"
chmod -R a+rX "$WORK/saver"
chmod 755 "$data"
chown 65534:65534 "$data/qor_inf"
chmod 0644 "$data/qor_inf"
mkdir -m 700 "$WORK/nobody-run" "$WORK/nobody-home"
chown 65534:65534 "$WORK/nobody-run" "$WORK/nobody-home"
before=$(ls -A "$data" | sort | tr '\n' ' ')
ok_in_dialog "$prog" setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$WORK/nobody-home" XDG_RUNTIME_DIR="$WORK/nobody-run"
[[ $(cat "$data/qor_inf") == $'3\r\n1011111111111111\r\n10\r\n1\r' ]] || fail "qor_inf holds $(od -c "$data/qor_inf")"
[[ $(stat -c '%a %u' "$data/qor_inf") == "644 65534" ]] || fail "qor_inf is now $(stat -c '%a %u' "$data/qor_inf")"
after=$(ls -A "$data" | sort | tr '\n' ' ')
[[ "$after" == "$before" ]] || fail "the folder changed: $before -> $after"
echo "PASS"
