#!/usr/bin/env bash
# The Windows download as a user meets it: build/windows/vistrelle-demo.zip holds exactly Demo.scr and
# velloran/Demo/ with the demo's files, a readme and install.exe (both programs copies of qv.exe). Unpacked
# into C:\savers and started there, install.exe installs C:\savers\Demo.SCR as the screen saver, and the
# saver started the way the system starts it shows its window.
source "$(dirname "$0")/wine-env.sh"
ZIP="$VIS_ROOT/build/windows/vistrelle-demo.zip"
wine_prefix_ready
[[ -f $ZIP ]] || fail "$ZIP is missing (make windows)"

entries=$(cmake -E tar tf "$ZIP" | grep -v '/$' | sort | tr '\n' ' ')
expected="Demo.scr velloran/Demo/install.exe velloran/Demo/qor_0 velloran/Demo/qor_1 velloran/Demo/qor_2 \
velloran/Demo/qor_3 velloran/Demo/qor_4 velloran/Demo/qor_5 velloran/Demo/qor_6 velloran/Demo/qor_7 \
velloran/Demo/qor_8 velloran/Demo/qor_9 velloran/Demo/qor_bgm velloran/Demo/qor_bgm.mid \
velloran/Demo/qor_effect1 velloran/Demo/qor_inf velloran/Demo/qor_title velloran/Demo/readme.txt "
[[ $entries == "$expected" ]] || fail "the zip holds: $entries"

savers="$(drive_c)/savers"
rm -rf "$savers"
mkdir -p "$savers"
(cd "$savers" && cmake -E tar xf "$ZIP")
cmp -s "$QV_EXE" "$savers/Demo.scr" || fail "Demo.scr is not the program"
cmp -s "$QV_EXE" "$savers/velloran/Demo/install.exe" || fail "install.exe is not the program"
[[ $(head -c 4 "$savers/velloran/Demo/qor_bgm.mid") == MThd ]] || fail "qor_bgm.mid is no MIDI file"
[[ $(head -n 1 "$savers/velloran/Demo/qor_inf" | od -An -c | tr -s ' ') == " 9 \r \n" ]] ||
    fail "qor_inf's first line is not 9 with CR LF"
grep -q $'\r$' "$savers/velloran/Demo/readme.txt" || fail "readme.txt lines do not end with CR LF"

wine_session_start
timeout -k 2 60 wine 'C:\savers\velloran\Demo\install.exe' 2>/dev/null &
tpid=$!
for _ in $(seq 200); do
    xdotool search --onlyvisible --name '^Install Screen Saver$' >/dev/null 2>&1 && break
    kill -0 "$tpid" 2>/dev/null || fail "the installer ended without its window"
    sleep 0.05
done
xdotool search --onlyvisible --name '^Install Screen Saver$' >/dev/null 2>&1 || fail "no installer window"
win="$(drive_c)/windows"
value=$(tr -d '\r' <"$win/system.ini" | awk '/^\[boot\]/ {inb = 1; next} /^\[/ {inb = 0} inb && /^SCRNSAVE.EXE=/ {sub(/^[^=]*=/, ""); print}')
[[ $value == 'C:\savers\Demo.SCR' ]] || fail "SCRNSAVE.EXE is '$value', not C:\\savers\\Demo.SCR"
cmp -s "$QV_EXE" "$savers/Demo.SCR" || fail "Demo.SCR is not a copy of the program"
# Windows names ignore letter case: the unpacked Demo.scr was the older saver that Demo.SCR replaced.
[[ $(ls "$savers" | tr '\n' ' ') == "Demo.SCR velloran " ]] || fail "C:\savers holds: $(ls "$savers")"
xdotool key Return
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installer ended with status $status"
timeout 10 wineserver -k >/dev/null 2>&1 || true
wineserver -p 30

start_saver_by_path "$value" "the installed demo ended at once"
[[ ! -e $savers/velloran/Demo/install.exe ]] || fail "the saver left install.exe in its data folder"
xdotool key space
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installed demo ended with status $status"
echo "PASS"
