# Shared set-up of the Wine end-to-end tests; sourced by each test script.
#   wine_prefix_ready       builds the test prefix once (cached under build/wine-prefix)
#   wine_session_start      starts Xvfb and points Wine at it; everything is torn down on exit
#   wine_two_monitor_session_start   the same with two monitors (Xephyr in Xvfb)
#   run_wine SECS ARGS...   wine with a time limit
# Exit status 77 means "skipped" (Wine or the Windows build tools are not installed).
set -euo pipefail

VIS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
QV_EXE="$VIS_ROOT/build/windows/qv.exe"
export WINEPREFIX="${VIS_WINE_PREFIX:-$VIS_ROOT/build/wine-prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
SCREEN_W=${SCREEN_W:-1024}
SCREEN_H=${SCREEN_H:-768}

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# One test at a time per prefix, across every build tree and ctest run: they share the prefix's wineserver,
# its "QOR" mutex and the display's windows. Held until the script ends.
mkdir -p "$(dirname "$WINEPREFIX")"
exec {VIS_PREFIX_LOCK}>"$WINEPREFIX.lock"
flock -w 600 "$VIS_PREFIX_LOCK" || fail "the Wine prefix $WINEPREFIX stayed busy for 10 minutes"

require_tools() {
    local t
    for t in wine wineserver Xvfb xdotool convert xwd; do
        command -v "$t" >/dev/null || { echo "SKIP: $t not installed (scripts/install-deps windows)"; exit 77; }
    done
}

run_wine() {
    local secs=$1
    shift
    timeout -k 2 "$secs" wine "$@"
}

# The C: drive of the prefix as a Linux path, and a Windows path for a file below it.
drive_c() { echo "$WINEPREFIX/drive_c"; }

wine_prefix_ready() {
    require_tools
    # Bump the number when the set-up below changes, so existing prefixes are made again.
    local stamp="$WINEPREFIX/.vis-ready-3"
    [[ -f $stamp ]] && return 0
    note "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # wineboot needs no display with these overrides; the session's Xvfb is started afterwards.
    DISPLAY= timeout -k 5 120 wineboot -i >/dev/null 2>&1 || true
    timeout -k 5 60 wineserver -w || true
    # Debian's Wine does not find its own fonts otherwise.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local reg="$WINEPREFIX/vis-test.reg"
    # Managed=N: no window manager here, so Wine must manage its windows itself (otherwise the exit waits
    # 2 s and keys need a mouse move first). No crash dialog: it would wait forever. Japanese fonts
    # substituted, or Japanese text renders as boxes. Text files opened with notepad, as on Windows (Wine's
    # prefix has the txtfile class but no .txt extension entry). UseXRandR=N: Wine takes its monitors from
    # Xinerama, the only place a nested two-head X server reports both.
    printf '%s\r\n' 'REGEDIT4' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"UseXRandR"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
        '"MS PGothic"="IPAPGothic"' '"MS Gothic"="IPAGothic"' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '' \
        '[HKEY_CLASSES_ROOT\.txt]' '@="txtfile"' '' >"$reg"
    DISPLAY= timeout -k 5 60 wine regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1 ||
        fail "regedit could not import the test settings"
    timeout -k 5 60 wineserver -w || true
    grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" || fail "the test settings did not reach the registry"
    touch "$stamp"
}

# A Linux path below the prefix's C: drive as Wine sees it.
winepath_of() {
    local p=$1 c
    c=$(drive_c)
    case $p in
    "$c"/*) p="C:${p#"$c"}" ;;
    *) p="Z:$p" ;;
    esac
    echo "${p//\//\\}"
}

XVFB_PID=""
XEPHYR_PID=""
# Commands a script adds to the end of its session (its own files, helper windows); run first.
SESSION_END=""
session_cleanup() {
    local status=$?
    # Every step runs whatever the one before it did: a server left behind would hold the prefix's lock.
    set +e
    [[ -n $SESSION_END ]] && eval "$SESSION_END"
    timeout 10 wineserver -k >/dev/null 2>&1 || true
    [[ -n $XEPHYR_PID ]] && kill "$XEPHYR_PID" 2>/dev/null && wait "$XEPHYR_PID" 2>/dev/null
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    [[ -n ${SESSION_DIR:-} && -z ${KEEP_SESSION:-} ]] && rm -rf "$SESSION_DIR"
    exit "$status"
}

wine_session_start() {
    require_tools
    [[ -x $QV_EXE || -f $QV_EXE ]] || fail "$QV_EXE is missing (make windows)"
    SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vis-wine.XXXXXX")
    trap session_cleanup EXIT
    trap 'exit 130' INT TERM
    # Nothing of an earlier test may be running in the prefix (the "QOR" mutex, a saver window).
    timeout 10 wineserver -k >/dev/null 2>&1 || true
    # The X servers do not hold the prefix's lock: one left behind must not block the next test.
    Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp -noreset \
        3>"$SESSION_DIR/display" >/dev/null 2>&1 {VIS_PREFIX_LOCK}>&- &
    XVFB_PID=$!
    local i
    for i in $(seq 50); do
        [[ -s $SESSION_DIR/display ]] && break
        sleep 0.1
    done
    [[ -s $SESSION_DIR/display ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$SESSION_DIR/display")"
    # Keep wineserver alive between the program's starts, so each start is quick.
    wineserver -p 30
}

# The same on two monitors side by side, MONITOR_W x MONITOR_H each, the primary on the left: a Xephyr with
# Xinerama nested in a larger Xvfb (Xvfb's own +xinerama puts both heads at 0,0). Wine reads the heads from
# Xinerama because the prefix turns XRandR off.
MONITOR_W=1280
MONITOR_H=720
wine_two_monitor_session_start() {
    command -v Xephyr >/dev/null || { echo "SKIP: Xephyr not installed (scripts/install-deps windows)"; exit 77; }
    SCREEN_W=$((2 * MONITOR_W + 40)) SCREEN_H=$((MONITOR_H + 40)) wine_session_start
    Xephyr -displayfd 3 +xinerama -screen "${MONITOR_W}x${MONITOR_H}+0+0" \
        -screen "${MONITOR_W}x${MONITOR_H}+${MONITOR_W}+0" -nolisten tcp -noreset \
        3>"$SESSION_DIR/nested-display" >/dev/null 2>&1 {VIS_PREFIX_LOCK}>&- &
    XEPHYR_PID=$!
    local i
    for i in $(seq 100); do
        [[ -s $SESSION_DIR/nested-display ]] && break
        sleep 0.1
    done
    [[ -s $SESSION_DIR/nested-display ]] || fail "Xephyr did not start"
    export DISPLAY=":$(head -n1 "$SESSION_DIR/nested-display")"
    SCREEN_W=$((2 * MONITOR_W)) SCREEN_H=$MONITOR_H
}

# Writes a JPEG of four quadrants (top-left, top-right, bottom-left, bottom-right colours) of w x h.
quadrant_jpeg() {
    local out=$1 w=$2 h=$3 tl=$4 tr=$5 bl=$6 br=$7
    local hw=$((w / 2)) hh=$((h / 2))
    convert \( -size "${hw}x${hh}" "xc:$tl" -size "$((w - hw))x${hh}" "xc:$tr" +append \) \
        \( -size "${hw}x$((h - hh))" "xc:$bl" -size "$((w - hw))x$((h - hh))" "xc:$br" +append \) \
        -append -quality 95 "jpg:$out"
}

# A fresh saver on drive C: $(drive_c)/NAME/Demo.scr with its data folder velloran/Demo, showing one
# 200 x 150 quadrant picture (red, lime, blue, yellow) as both pictures, cut only, 10 s display and 1 s pause:
# the same picture nearly all the time. Sets base, data and saver (the program's Windows path).
cut_show_folder() {
    base="$(drive_c)/$1"
    rm -rf "$base"
    mkdir -p "$base/velloran/Demo"
    cp "$QV_EXE" "$base/Demo.scr"
    data="$base/velloran/Demo"
    quadrant_jpeg "$data/qor_0" 200 150 red lime blue yellow
    cp "$data/qor_0" "$data/qor_1"
    printf '1\r\n1000000000000000\r\n10\r\n1\r\n' >"$data/qor_inf"
    saver=$(winepath_of "$base/Demo.scr")
}

# The colour of one screen pixel as "r,g,b" (0..255), from an xwd file of the root window.
pixel_of() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# The same, read straight from the dump (fast enough to test every frame while capturing): the header's
# size, byte order, bits per pixel, bytes per line and colour map entries locate the pixel.
xwd_pixel() {
    local f=$1 x=$2 y=$3
    local -a h p
    read -r -a h < <(od -An -tu4 --endian=big -N 80 "$f" | tr -s ' \n' ' ')
    local off=$((h[0] + h[19] * 12 + y * h[12] + x * h[11] / 8))
    read -r -a p < <(od -An -tu1 -j "$off" -N 4 "$f")
    if ((h[7] == 0)); then echo "${p[2]},${p[1]},${p[0]}"; else echo "${p[1]},${p[2]},${p[3]}"; fi
}

# True when colour "r,g,b" is within tol of the expected "r,g,b" on every channel.
near() {
    local IFS=,
    local -a a=($1) b=($2)
    local tol=${3:-12} i d
    for i in 0 1 2; do
        d=$((a[i] - b[i]))
        ((d < 0)) && d=$((-d))
        ((d <= tol)) || return 1
    done
}

# Value of a registry entry in user.reg (after wineserver wrote it out).
user_reg_value() {
    local key=$1 name=$2
    # user.reg doubles the backslashes of key names.
    REG_KEY="[${key//\\/\\\\}]" REG_NAME="\"$name\"=" awk '
        BEGIN { key = ENVIRON["REG_KEY"]; name = ENVIRON["REG_NAME"] }
        index($0, key) == 1 { inkey = 1; next }
        /^\[/ { inkey = 0 }
        inkey && index($0, name) == 1 { sub(/^[^=]*=/, ""); print; exit }
    ' "$WINEPREFIX/user.reg"
}

# Starts a saver by a recorded path with "/s", as the system does, and waits for its window; sets tpid.
# $2 is the failure when the program ends at once.
start_saver_by_path() {
    timeout -k 2 60 wine "$1" /s 2>/dev/null &
    tpid=$!
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 && return 0
        kill -0 "$tpid" 2>/dev/null || fail "$2"
        sleep 0.05
    done
    fail "the saver started by '$1' showed no window"
}
