#!/usr/bin/env bash
# The installer under Wine: install.exe inside C:\windows\velloran\Night Sky copies itself to
# C:\windows\Night Sky.SCR, records its short path in System.ini [boot] SCRNSAVE.EXE, shows
# "Install Screen Saver", and on closing opens the readme beside it. The saver started by that short path,
# as the system starts it, finds its data folder under the long name.
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
wine_session_start

win="$(drive_c)/windows"
data="$win/velloran/Night Sky"
rm -rf "$data" "$win/Night Sky.SCR" "$win/install.exe"
mkdir -p "$data"
cp "$QV_EXE" "$data/install.exe"
quadrant_jpeg "$data/qor_0" 200 150 red lime blue yellow
cp "$data/qor_0" "$data/qor_1"
printf '1\r\n1000000000000000\r\n10\r\n1\r\n' >"$data/qor_inf"
printf 'Night Sky\r\n' >"$data/readme.txt"
printf 'old saver' >"$win/Night Sky.SCR"

timeout -k 2 60 wine 'C:\windows\velloran\Night Sky\install.exe' 2>/dev/null &
tpid=$!
for _ in $(seq 200); do
    xdotool search --onlyvisible --name '^Install Screen Saver$' >/dev/null 2>&1 && break
    kill -0 "$tpid" 2>/dev/null || fail "the installer ended without its window"
    sleep 0.05
done
xdotool search --onlyvisible --name '^Install Screen Saver$' >/dev/null 2>&1 || fail "no installer window"
cmp -s "$QV_EXE" "$win/Night Sky.SCR" || fail "Night Sky.SCR is not a copy of the program"
[[ ! -e $win/install.exe ]] || fail "the copy was left under the installer's name"
value=$(tr -d '\r' <"$win/system.ini" | awk '/^\[boot\]/ {inb = 1; next} /^\[/ {inb = 0} inb && /^SCRNSAVE.EXE=/ {sub(/^[^=]*=/, ""); print}')
note "System.ini [boot] SCRNSAVE.EXE=$value"
[[ $value == 'C:\windows\'*'~'*.SCR ]] || fail "SCRNSAVE.EXE is '$value', not the short path of Night Sky.SCR"
grep -q $'^\\[boot\\]\r$' "$win/system.ini" || fail "System.ini lines do not end with CR LF"

xdotool key Return
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installer ended with status $status"
# The shell opens the readme with its default program (Wine's notepad).
found=""
for _ in $(seq 100); do
    if xdotool search --onlyvisible --name 'readme' >/dev/null 2>&1; then
        found=1
        break
    fi
    sleep 0.1
done
[[ -n $found ]] || fail "the readme was not opened"
timeout 10 wineserver -k >/dev/null 2>&1 || true
wineserver -p 30

# Started by the recorded short path, as the system does.
start_saver_by_path "$value" "the saver started by '$value' ended at once (data folder not found)"
xdotool key space
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installed saver ended with status $status"
echo "PASS"
