#!/usr/bin/env bash
# As an xscreensaver hack: started with -root and XSCREENSAVER_WINDOW naming a window, the show draws
# into that window, centred in it, and SIGTERM ends the program normally, leaving the window alone.
source "$(dirname "$0")/lib.sh"

start_xvfb 640 480
prog=$(make_saver Hack)
data=$(data_folder Hack)
make_picture "$data/qor_0" 200 150
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1000000000000000 2 1
decoded "$data/qor_0" "$WORK/p0.rgb"

command -v xsetroot >/dev/null || skip "xsetroot is not installed"
# A grey desktop shows whatever the hack would draw beside its window.
xsetroot -solid '#808080'
# The host: 320 x 240 at (100, 80), white until the hack draws.
"$VIS_XPROBE" host-window 100 80 320 240 >"$WORK/host" &
PIDS+=($!)
for i in $(seq 1 50); do
    [[ -s "$WORK/host" ]] && break
    sleep 0.1
done
host=$(head -n1 "$WORK/host")
[[ -n "$host" ]] || fail "no host window"

XSCREENSAVER_WINDOW=$host start_saver "$prog" -root
# Picture 0 centred in the host: (100 + 60, 80 + 45).
out=$("$VIS_XPROBE" wait-region 160 125 200 150 "$WORK/p0.rgb" 3 6000) ||
    fail "picture 0 did not appear centred in the host window: $out"
[[ $(pixel 101 81) == "0,0,0" ]] || fail "the host window is not black around the picture: $(pixel 101 81)"
[[ $(pixel 418 318) == "0,0,0" ]] || fail "the host window's far corner is not black: $(pixel 418 318)"
for p in "10 10" "99 79" "420 320" "630 470"; do
    # shellcheck disable=SC2086
    c=$(pixel $p)
    [[ "$c" == "128,128,128" ]] || fail "the hack drew outside its window: ($p) is $c"
done
import -window root "$WORK/hack.png"

kill -TERM "$SAVER_PID"
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after SIGTERM"
xwininfo -id "$host" >/dev/null 2>&1 || fail "the host window went with the hack"
echo "PASS"
