#!/usr/bin/env bash
# The installer under Wine: C:\WINDOWS\velloran\SUNSET\install.exe makes C:\WINDOWS\SUNSET.SCR (replacing an
# older one), leaves no install.exe in C:\WINDOWS, records the saver in system.ini [boot] SCRNSAVE.EXE,
# switches the screen saver on and opens the readme when its window closes. A copy that fails is reported in
# the error box "Installer for QV" and leaves the installed saver alone. A long folder name is recorded
# by its "~" alias, and the saver started by that short path deletes the installer left in its data folder.
source "$(dirname "$0")/wine-env.sh"
QV_EXE=${VIS_QV_EXE:-$QV_EXE}
wine_prefix_ready
wine_session_start

win="$(drive_c)/windows"
ini="$win/system.ini"
cleanup_installs() { rm -rf "$win/velloran" "$win/SUNSET.SCR" "$win/Night Sky.SCR" "$win/install.exe"; }
cleanup_installs
SESSION_END=cleanup_installs

set_screen_saver_active() {
    run_wine 30 reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /t REG_SZ /d "$1" /f >/dev/null 2>&1 ||
        fail "could not set ScreenSaveActive"
}
screen_saver_active() {
    run_wine 30 reg query 'HKCU\Control Panel\Desktop' /v ScreenSaveActive 2>/dev/null | tr -d '\r' |
        awk '$1 == "ScreenSaveActive" {print $3}'
}
# The value of SCRNSAVE.EXE in system.ini's [boot] section.
scrnsave_value() {
    tr -d '\r' <"$ini" | awk '/^\[/ { boot = ($0 == "[boot]") } boot && index($0, "SCRNSAVE.EXE=") == 1 { print substr($0, 14) }'
}
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true; }

# Runs the installer at the Windows path $1, waits for its window, presses OK and waits for the end.
run_installer() {
    local exe=$1
    timeout -k 2 60 wine "$exe" 2>/dev/null &
    local tpid=$! w=""
    for _ in $(seq 200); do
        w=$(visible_window '^Install Screen Saver$')
        [[ -n $w ]] && break
        kill -0 "$tpid" 2>/dev/null || fail "the installer ended before its window appeared"
        sleep 0.05
    done
    [[ -n $w ]] || fail "no installer window within 10 s"
    # The window is up: the installation is done, the screen saver not yet switched on.
    [[ $(screen_saver_active) == 0 ]] || fail "the screen saver was switched on before the window closed"
    xdotool key Return
    local status=0
    wait "$tpid" || status=$?
    [[ $status -eq 0 ]] || fail "the installer ended with status $status after OK"
}

# --- SUNSET: a name that fits 8.3, an older saver of that name, a readme -----------------------------------------
mkdir -p "$win/velloran/SUNSET"
cp "$QV_EXE" "$win/velloran/SUNSET/install.exe"
printf 'Sunset\r\n' >"$win/velloran/SUNSET/readme.txt"
printf 'an older saver' >"$win/SUNSET.SCR"
set_screen_saver_active 0
run_installer 'C:\WINDOWS\velloran\SUNSET\install.exe'

cmp -s "$QV_EXE" "$win/SUNSET.SCR" || fail "C:\\WINDOWS\\SUNSET.SCR is not a copy of the installer"
[[ ! -e $win/install.exe ]] || fail "install.exe was left in C:\\WINDOWS"
[[ -f $win/velloran/SUNSET/install.exe ]] || fail "the installer itself is gone"
value=$(scrnsave_value)
note "system.ini [boot] SCRNSAVE.EXE=$value"
# Wine reports its "windows" folder with itself as the alias; Windows' WINDOWS has none. Either way the
# folder keeps its name and the saver is recorded by its own 8.3 name.
[[ ${value^^} == 'C:\WINDOWS\SUNSET.SCR' && $value == *'\SUNSET.SCR' ]] ||
    fail "SCRNSAVE.EXE is '$value', not C:\\WINDOWS\\SUNSET.SCR"
[[ $(screen_saver_active) == 1 ]] || fail "ScreenSaveActive is not 1 after the installer closed"
found=""
for _ in $(seq 100); do
    [[ -n $(visible_window 'readme') ]] && found=1 && break
    sleep 0.1
done
[[ -n $found ]] || fail "the readme beside the installer was not opened"
timeout 10 wineserver -k >/dev/null 2>&1 || true
wineserver -p 30

# --- A copy that cannot be made: the error box, then the window; the installed saver stays --------------------
mkdir "$win/install.exe" # a folder where the copy would go
set_screen_saver_active 0
timeout -k 2 60 wine 'C:\WINDOWS\velloran\SUNSET\install.exe' 2>/dev/null &
tpid=$!
box=""
for _ in $(seq 200); do
    box=$(visible_window '^Installer for QV$')
    [[ -n $box ]] && break
    kill -0 "$tpid" 2>/dev/null || fail "the installer ended without showing its error"
    sleep 0.05
done
[[ -n $box ]] || fail "no error box with the caption Installer for QV"
[[ -z $(visible_window '^Install Screen Saver$') ]] || fail "the window showed before the installation's error"
xdotool key Return
for _ in $(seq 200); do
    [[ -n $(visible_window '^Install Screen Saver$') ]] && break
    sleep 0.05
done
[[ -n $(visible_window '^Install Screen Saver$') ]] || fail "the window did not open after the error"
xdotool key Return
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installer ended with status $status after an error"
cmp -s "$QV_EXE" "$win/SUNSET.SCR" || fail "the failed copy took the installed saver with it"
[[ $(scrnsave_value) == "$value" ]] || fail "SCRNSAVE.EXE changed although the copy failed"
[[ $(screen_saver_active) == 1 ]] || fail "closing after an error did not switch the screen saver on"
rmdir "$win/install.exe"
timeout 10 wineserver -k >/dev/null 2>&1 || true
wineserver -p 30

# --- Night Sky: a long name, recorded by its alias; the saver then deletes the installer ------------------------
data="$win/velloran/Night Sky"
mkdir -p "$data"
cp "$QV_EXE" "$data/install.exe"
quadrant_jpeg "$data/qor_0" 200 150 red lime blue yellow
quadrant_jpeg "$data/qor_1" 300 200 white magenta cyan gray50
printf '1\r\n1000000000000000\r\n10\r\n1\r\n' >"$data/qor_inf"
set_screen_saver_active 0
run_installer 'C:\WINDOWS\velloran\Night Sky\install.exe'

cmp -s "$QV_EXE" "$win/Night Sky.SCR" || fail "C:\\WINDOWS\\Night Sky.SCR was not made"
[[ ! -e $win/install.exe ]] || fail "install.exe was left in C:\\WINDOWS"
value=$(scrnsave_value)
note "system.ini [boot] SCRNSAVE.EXE=$value"
[[ ${value^^} =~ ^'C:\WINDOWS\'[A-Z0-9_]+~[A-Z0-9~_]*'.SCR'$ ]] || fail "SCRNSAVE.EXE '$value' is not the short form"
[[ $(screen_saver_active) == 1 ]] || fail "ScreenSaveActive is not 1 after the installer closed"
[[ -z $(visible_window 'readme') ]] || fail "a readme was opened although there is none"

# The system starts the recorded saver by that path with /s.
timeout -k 2 60 wine "$value" /s 2>/dev/null &
spid=$!
shown=""
for _ in $(seq 300); do
    [[ -n $(visible_window '^Fmqv$') ]] && shown=1 && break
    kill -0 "$spid" 2>/dev/null || fail "the saver started as $value ended before its window appeared"
    sleep 0.05
done
[[ -n $shown ]] || fail "the saver started as $value showed no window"
[[ ! -e $data/install.exe ]] || fail "the saver did not delete install.exe from its data folder"
xdotool key space
status=0
wait "$spid" || status=$?
[[ $status -eq 0 ]] || fail "the saver ended with status $status"
echo "PASS"
