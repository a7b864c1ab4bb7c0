#!/usr/bin/env bash
# A real xscreensaver on a desktop of two monitors runs the saver as its hack: one copy per monitor, both
# showing the show; switching hacks again and again (each switch kills the copies and starts new ones at
# once) never gives a crashed screen nor an exit other than by xscreensaver's signal; a saver whose music
# file is broken shows its pictures, the error going to xscreensaver's log as one line.
# xscreensaver refuses to run hacks as root, so it runs as nobody with a home of its own.
source "$(dirname "$0")/lib.sh"
for tool in xscreensaver xscreensaver-command setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps e2e)"
done
((EUID == 0)) || skip "needs root to run xscreensaver as another user"

start_two_monitors 640 480
show=$(make_saver Show)
make_picture "$(data_folder Show)/qor_0" 200 150
make_picture "$(data_folder Show)/qor_1" 120 90
write_inf "$(data_folder Show)" 1 1000000000000000 3 1
broken=$(make_saver Broken)
make_picture "$(data_folder Broken)/qor_0" 160 120
make_picture "$(data_folder Broken)/qor_1" 120 90
write_inf "$(data_folder Broken)" 1 1000000000000000 3 1
printf 'RIFF, not a MIDI file' >"$(data_folder Broken)/qor_bgm.mid"
: >"$(data_folder Broken)/qor_bgm"
decoded "$(data_folder Show)/qor_0" "$WORK/show.rgb"
decoded "$(data_folder Broken)/qor_0" "$WORK/broken.rgb"

# nobody reads the savers and owns a home and a runtime folder of its own.
chmod 755 "$WORK"
chmod -R a+rX "$WORK/saver"
XS_HOME="$WORK/xs-home"
mkdir -m 700 "$XS_HOME" "$XS_HOME/run"
cat >"$XS_HOME/.xscreensaver" <<EOF
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
programs: "Show" $show -root \\n\\
          "Broken" $broken -root \\n
EOF
chown -R 65534:65534 "$XS_HOME"
as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$XS_HOME" XDG_RUNTIME_DIR="$XS_HOME/run" \
        VISTRELLE_AUDIO=none "$@"
}
XS_LOG="$WORK/xscreensaver.log"
as_nobody xscreensaver -no-splash -verbose >"$XS_LOG" 2>&1 &
XS_PID=$!
PIDS+=("$XS_PID")
stop_xscreensaver() { as_nobody xscreensaver-command -exit >/dev/null 2>&1 || true; }
for i in $(seq 1 50); do
    as_nobody xscreensaver-command -version >/dev/null 2>&1 && break
    sleep 0.2
done
SAVER_LOG=$XS_LOG

# both_monitors RGB W H: picture 0 of W x H appears centred on each monitor.
both_monitors() {
    local x=$(((640 - $2) / 2)) y=$(((480 - $3) / 2)) out
    out=$("$VIS_XPROBE" wait-region "$x" "$y" "$2" "$3" "$1" 3 15000) || fail "monitor 1 shows no show: $out"
    out=$("$VIS_XPROBE" wait-region $((640 + x)) "$y" "$2" "$3" "$1" 3 15000) || fail "monitor 2 shows no show: $out"
}

as_nobody xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver-command -activate failed"
both_monitors "$WORK/show.rgb" 200 150
import -window root "$WORK/xscreensaver.png"
[[ -n "${VIS_E2E_SHOT:-}" ]] && cp "$WORK/xscreensaver.png" "$VIS_E2E_SHOT"
forked=$(grep -c 'forked ".*Show.scr --root"' "$XS_LOG" || true)
((forked >= 2)) || fail "xscreensaver did not start one copy per monitor ($forked)"

note "switching hacks restarts the copies while the old ones are still ending"
for round in 1 2 3; do
    as_nobody xscreensaver-command -select 2 >/dev/null 2>&1 || fail "-select 2 failed"
    both_monitors "$WORK/broken.rgb" 160 120
    as_nobody xscreensaver-command -select 1 >/dev/null 2>&1 || fail "-select 1 failed"
    both_monitors "$WORK/show.rgb" 200 150
done
grep -qx 'Broken: 原因不明のｴﾗｰ' "$XS_LOG" || fail "the broken music's error is not in xscreensaver's log"
stop_xscreensaver
wait_end "$XS_PID" 10
# Each copy's end as xscreensaver logs it: "child pid N (PROGRAM) exited normally with SIGTERM" is the one
# expected; "exited abnormally with status 3" and the like are what it shows as a crash.
ends=$(grep -E 'child pid [0-9]+ \(.*(Show|Broken)\.scr\)' "$XS_LOG" || true)
bad=$(grep -v 'exited normally with SIGTERM$' <<<"$ends" || true)
[[ -z "$bad" ]] || fail "copies ended other than by xscreensaver's SIGTERM:"$'\n'"$bad"
count=$(grep -c . <<<"$ends" || true)
((count >= 12)) || fail "only $count copies ended in the log"
note "$count copies ended by SIGTERM"
echo "PASS"
