#!/usr/bin/env bash
# The installer role of the real Linux program under Xvfb, in a temporary home: R/velloran/SUNSET/install.exe
# copies itself to R/SUNSET.SCR (replacing an older one, runnable, no install.exe left in R), selects it in
# ~/.xscreensaver beside the user's other savers, and when OK closes the window switches the X screen saver on
# and opens readme.txt with xdg-open in its folder. The saver started afterwards deletes the installer.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024 768
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/bin"
# xdg-open stand-in: records what it was asked to open and where.
cat >"$WORK/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s|%s\n' "\$*" "\$(pwd)" >>"$WORK/opened"
EOF
chmod +x "$WORK/bin/xdg-open"
export PATH="$WORK/bin:$PATH"

R="$WORK/R"
data="$R/velloran/SUNSET"
mkdir -p "$data"
cp "$VIS_QV" "$data/install.exe"
printf 'Sunset\n' >"$data/readme.txt"
printf 'an older saver' >"$R/SUNSET.SCR"
make_picture "$data/qor_0" 160 120
make_picture "$data/qor_1" 160 120
write_inf "$data" 1 1000000000000000 10 1
printf '%s\n' '# XScreenSaver Preferences File' 'timeout:	0:10:00' 'mode:		random' 'selected:	-1' \
    'programs:	\' '		maze -root	\n\' '-		qix -root	\n\' '' 'lock:		False' >"$HOME/.xscreensaver"
xset s off
[[ $(xset q | awk '/timeout:/ {print $2; exit}') == 0 ]] || fail "xset s off did not take"

start_saver "$data/install.exe"
win=""
for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name '^Install Screen Saver$' 2>/dev/null | head -n1 || true)
    [[ -n $win ]] && break
    running "$SAVER_PID" || fail "the installer ended before its window appeared"
    sleep 0.1
done
[[ -n $win ]] || fail "no installer window within 10 s"
# An ordinary top-level window, which task bars list: not transient for another window, of normal type.
props=$(xprop -id "$win" WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE)
grep -q 'WM_TRANSIENT_FOR:  not found' <<<"$props" || fail "the installer is transient for another window: $props"
grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$' <<<"$props" || fail "the installer is not a normal window: $props"
read -r w h < <(xdotool getwindowgeometry "$win" | awk '/Geometry:/ {split($2, a, "x"); print a[1], a[2]}')
[[ "$w x $h" == "201 x 58" ]] || fail "the window's client area is $w x $h, not 201 x 58"

# Installed while the window was built.
cmp -s "$VIS_QV" "$R/SUNSET.SCR" || fail "R/SUNSET.SCR is not a copy of the installer"
[[ -x $R/SUNSET.SCR ]] || fail "R/SUNSET.SCR cannot be run"
[[ ! -e $R/install.exe ]] || fail "install.exe was left in R"
expected="# XScreenSaver Preferences File
timeout:	0:10:00
mode:		one
selected:	2
programs:	\\
				maze -root \\n\\
				-		qix -root \\n\\
				\"Vistrelle SUNSET\" $R/SUNSET.SCR -root \\n\\

lock:		False"
[[ $(cat "$HOME/.xscreensaver") == "$expected" ]] ||
    fail "~/.xscreensaver is not as expected:"$'\n'"$(cat "$HOME/.xscreensaver")"
[[ ! -e $WORK/opened ]] || fail "the readme was opened before the window closed"

xdotool windowfocus --sync "$win" 2>/dev/null || true
running "$SAVER_PID" || fail "the installer ended before OK was pressed"
# Through the keyboard, not sent to the window: the press closes it, and the release would find it gone.
xdotool key Return
wait_end "$SAVER_PID" 10
[[ $EXIT_STATUS == 0 ]] || fail "the installer ended with status $EXIT_STATUS"
timeout=$(xset q | awk '/timeout:/ {print $2; exit}')
[[ $timeout != 0 ]] || fail "the X screen saver is still off after the installer closed"
for _ in $(seq 1 50); do
    [[ -s $WORK/opened ]] && break
    sleep 0.1
done
[[ $(cat "$WORK/opened" 2>/dev/null) == "readme.txt|$data" ]] ||
    fail "xdg-open was asked for '$(cat "$WORK/opened" 2>/dev/null)', not readme.txt in $data"
note "installed; X screen saver timeout now $timeout s; readme opened"

# The installed saver, started as xscreensaver would be told to, deletes the installer from its data folder.
start_saver "$R/SUNSET.SCR" /s
wait_saver_window 10
for _ in $(seq 1 30); do
    [[ ! -e $data/install.exe ]] && break
    sleep 0.1
done
[[ ! -e $data/install.exe ]] || fail "the saver did not delete install.exe from its data folder"
xdotool key space
wait_end "$SAVER_PID" 10
echo "PASS"
