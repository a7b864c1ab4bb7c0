#!/usr/bin/env bash
# The silent ends under Wine: "/p" ends without a window, "/a" at once, a data folder without qor_1 ends
# the saver; each with the documented exit status and no window.
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
wine_session_start

base="$(drive_c)/roles"
rm -rf "$base"
mkdir -p "$base/velloran/Demo" "$base/velloran/Empty"
cp "$QV_EXE" "$base/Demo.scr"
cp "$QV_EXE" "$base/Empty.scr"
quadrant_jpeg "$base/velloran/Demo/qor_0" 16 16 red lime blue yellow
cp "$base/velloran/Demo/qor_0" "$base/velloran/Demo/qor_1"
printf '1\r\n1111111111111111\r\n5\r\n3\r\n' >"$base/velloran/Demo/qor_inf"
cp "$base/velloran/Demo/qor_0" "$base/velloran/Empty/qor_0"
cp "$base/velloran/Demo/qor_inf" "$base/velloran/Empty/qor_inf"

# name, argument, expected status
while read -r name arg want; do
    [[ $arg == - ]] && arg=""
    status=0
    start=$(date +%s.%N)
    run_wine 30 "$(winepath_of "$base/$name")" ${arg:+"$arg"} || status=$?
    took=$(echo "$(date +%s.%N) - $start" | bc)
    note "$name ${arg:-(no argument)}: status $status in $took s"
    [[ $status -eq $want ]] || fail "$name $arg ended with status $status, not $want"
    (($(echo "$took < 10" | bc))) || fail "$name $arg took $took s to end"
    if xdotool search --name '^(Fmqv|setting for vistrelle 3\.3jp)$' >/dev/null 2>&1; then
        fail "$name $arg left a window"
    fi
done <<'TABLE'
Demo.scr /p 0
Demo.scr -p 0
Demo.scr /a 0
Empty.scr /s 4
Empty.scr /c 4
TABLE

# "/p" ends after the guard was taken and released: a saver started right after it runs.
timeout -k 2 30 wine "$(winepath_of "$base/Demo.scr")" /S &
tpid=$!
for _ in $(seq 200); do
    xdotool search --name '^Fmqv$' >/dev/null 2>&1 && break
    kill -0 "$tpid" 2>/dev/null || fail "the saver (/S) ended at once"
    sleep 0.05
done
xdotool search --name '^Fmqv$' >/dev/null 2>&1 || fail "no saver window for /S"
# "/a" does not touch the guard: it ends with 0 even while a saver runs; "/p" meets the guard (3).
status=0
run_wine 30 "$(winepath_of "$base/Demo.scr")" /a || status=$?
[[ $status -eq 0 ]] || fail "/a while a saver runs ended with $status, not 0"
status=0
run_wine 30 "$(winepath_of "$base/Demo.scr")" /p || status=$?
[[ $status -eq 3 ]] || fail "/p while a saver runs ended with $status, not 3"
# A mouse click ends the saver.
xdotool mousemove 10 10 click 1
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status after a click"
echo "PASS"
