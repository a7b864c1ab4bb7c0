#!/usr/bin/env bash
# As an xscreensaver hack (XSCREENSAVER_WINDOW naming a window, "-root" or "--root"):
# - a window as large as its monitor shows the show at its own size, the picture centred in it;
# - a window clearly smaller than its monitor is a preview: the show runs at the monitor's size and each
#   frame is scaled into the window, aspect kept, so whole pictures show;
# - copies in different windows run side by side; while the user's settings dialog holds the guard a copy
#   keeps its window black and starts once the dialog is gone; while copies run, the user's roles refuse;
# - an error is one line "Hack: message" on standard error, never a box, and the show goes on;
# - SIGTERM ends a copy by that signal (status 143), leaving its window alone.
source "$(dirname "$0")/lib.sh"
command -v xsetroot >/dev/null || skip "xsetroot is not installed"

start_xvfb 800 600
prog=$(make_saver Hack)
data=$(data_folder Hack)
make_picture "$data/qor_0" 240 180
make_picture "$data/qor_1" 120 90
write_inf "$data" 1 1000000000000000 2 1
convert -size 287x120 xc:'#808080' -type TrueColor "BMP3:$data/qor_effect1"
# Music the device cannot play: the error the box would show goes to standard error instead.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0f\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x40\x00\xff\x2f\x00' \
    >"$data/qor_bgm.mid"
: >"$data/qor_bgm"
export VISTRELLE_AUDIO=no-such-driver
decoded "$data/qor_0" "$WORK/p0.rgb"
# A grey desktop shows whatever a hack would draw beside its window.
xsetroot -solid '#808080'

# host X Y W H: an override-redirect window, white until a hack draws; its id comes back in HOST.
host() {
    local out="$WORK/host.$RANDOM" i
    "$VIS_XPROBE" host-window "$@" >"$out" &
    PIDS+=($!)
    for i in $(seq 1 50); do
        [[ -s "$out" ]] && break
        sleep 0.1
    done
    HOST=$(head -n1 "$out")
    [[ -n "$HOST" ]] || fail "no host window"
}

# The colours of make_picture's quarters.
red=d02020 blue=2040e0 green=20c040 yellow=f0e060

note "a window covering its monitor: the show at the window's size"
host 80 60 640 480
XSCREENSAVER_WINDOW=$HOST start_saver "$prog" -root
full_pid=$SAVER_PID
full_log=$SAVER_LOG
# Picture 0 centred in the 640 x 480 window: (80 + 200, 60 + 150).
out=$("$VIS_XPROBE" wait-region 280 210 240 180 "$WORK/p0.rgb" 3 8000) ||
    fail "picture 0 did not appear centred in the host window: $out"
[[ $(pixel 81 61) == "0,0,0" ]] || fail "the host window is not black around the picture: $(pixel 81 61)"
for p in "10 10" "79 59" "720 540" "790 590"; do
    # shellcheck disable=SC2086
    c=$(pixel $p)
    [[ "$c" == "128,128,128" ]] || fail "the hack drew outside its window: ($p) is $c"
done
xdotool search --name '^Vistrelle$' >/dev/null 2>&1 && fail "an error box appeared"
grep -qx 'Hack: 原因不明のｴﾗｰ' "$full_log" || fail "no error line on standard error: $(cat "$full_log")"

note "while a copy runs the user's own roles refuse at once"
for arg in /s /c; do
    set +e
    timeout 10 "$prog" "$arg" >/dev/null 2>&1
    status=$?
    set -e
    ((status == 3)) || fail "$arg started beside a running hack (status $status)"
done

note "a preview window: the monitor's show scaled into it, aspect kept"
# 400 x 200 at (100, 380) on an 800 x 600 monitor: the show scaled by 1/3 to 267 x 200, centred at x 66.
# Picture 0 (240 x 180 at 280, 210 of the show) lands at (259, 450) - (339, 510) of the desktop.
host 100 380 400 200
XSCREENSAVER_WINDOW=$HOST start_saver "$prog" --root
preview_pid=$SAVER_PID
# The centres of its quarters (40 x 30 each).
out=$("$VIS_XPROBE" wait-colours 48 8000 279,465,$red 319,465,$blue 279,495,$green 319,495,$yellow) ||
    fail "the preview does not show picture 0 whole and scaled: $out"
for p in "254 480" "345 480" "299 444" "299 516" "110 390" "490 570"; do
    # shellcheck disable=SC2086
    [[ $(pixel $p) == "0,0,0" ]] || fail "the preview is not black beside the picture at ($p): $(pixel $p)"
done
running "$full_pid" || fail "the first copy ended when the second started"
import -window root "$WORK/preview.png"
[[ -n "${VIS_E2E_SHOT:-}" ]] && cp "$WORK/preview.png" "$VIS_E2E_SHOT"

note "SIGTERM ends each copy by that signal"
for pid in "$full_pid" "$preview_pid"; do
    kill -TERM "$pid"
    wait_end "$pid" 3
    ((EXIT_STATUS == 143)) || fail "exit status $EXIT_STATUS after SIGTERM, not 143"
done
xwininfo -id "$HOST" >/dev/null 2>&1 || fail "the host window went with the hack"

note "a copy started while the settings dialog runs waits, black, and starts when it closes"
start_saver "$prog" /c
dialog_pid=$SAVER_PID
for i in $(seq 1 100); do
    xdotool search --onlyvisible --name '^setting for vistrelle 3.3jp$' >/dev/null 2>&1 && break
    sleep 0.1
done
host 80 60 640 480
XSCREENSAVER_WINDOW=$HOST start_saver "$prog" -root
waiting_pid=$SAVER_PID
sleep 3
running "$waiting_pid" || fail "the copy ended while the settings dialog ran"
[[ $(pixel 400 300) == "0,0,0" ]] || fail "the waiting copy's window is not black: $(pixel 400 300)"
cpu=$(ps -o times= -p "$waiting_pid" | tr -d ' ')
((cpu <= 1)) || fail "the waiting copy used $cpu s of CPU in 3 s"
# A second waiting copy, ended while it waits: by the signal, at once.
XSCREENSAVER_WINDOW=$HOST start_saver "$prog" -root
sleep 1
kill -TERM "$SAVER_PID"
wait_end "$SAVER_PID" 3
((EXIT_STATUS == 143)) || fail "exit status $EXIT_STATUS after SIGTERM while waiting, not 143"
kill -TERM "$dialog_pid"
wait_end "$dialog_pid" 3
out=$("$VIS_XPROBE" wait-region 280 210 240 180 "$WORK/p0.rgb" 3 8000) ||
    fail "the waiting copy did not start its show once the guard was free: $out"
kill -TERM "$waiting_pid"
wait_end "$waiting_pid" 3
((EXIT_STATUS == 143)) || fail "exit status $EXIT_STATUS after SIGTERM, not 143"
echo "PASS"
