# Shared steps of the Linux end-to-end scripts: a private Xvfb, a private runtime folder (the instance
# guard lives there), saver folders with generated pictures, and waiting for the program to end.
# The scripts get the program and the probe through VIS_QV and VIS_XPROBE (set by ctest).
set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    [[ -n "${SAVER_LOG:-}" && -s "${SAVER_LOG:-}" ]] && { echo "--- program output:" >&2; cat "$SAVER_LOG" >&2; }
    exit 1
}
note() { echo "# $*"; }

: "${VIS_QV:?VIS_QV must name the qv program}"
: "${VIS_XPROBE:?VIS_XPROBE must name the xprobe helper}"
for tool in Xvfb xdotool import convert xset; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps e2e)"
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vis-e2e.XXXXXX")
PIDS=()
XVFB_PID=""
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && wait "$XVFB_PID" 2>/dev/null || true
    if [[ -n "${KEEP_E2E:-}" ]]; then echo "# kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$WORK/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The music stays silent unless a script asks for it.
export VISTRELLE_AUDIO="${VISTRELLE_AUDIO:-none}"
unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM WAYLAND_DISPLAY

# start_xvfb WIDTH HEIGHT: a server of our own; the display number comes back through -displayfd.
start_xvfb() {
    local w=$1 h=$2 i
    Xvfb -displayfd 3 -screen 0 "${w}x${h}x24" -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for i in $(seq 1 100); do
        [[ -s "$WORK/display" ]] && break
        kill -0 "$XVFB_PID" 2>/dev/null || { cat "$WORK/xvfb.log" >&2; fail "Xvfb did not start"; }
        sleep 0.1
    done
    [[ -s "$WORK/display" ]] || fail "Xvfb gave no display number"
    export DISPLAY=":$(head -n1 "$WORK/display")"
    SCREEN_W=$w
    SCREEN_H=$h
}

# start_two_monitors WIDTH HEIGHT: a desktop of two monitors side by side, each WIDTH x HEIGHT: Xephyr with
# Xinerama and two screens, nested in an Xvfb of our own. Xephyr's RandR knows only one output, so its two
# heads are also declared as RandR monitors, as a two-head driver reports them (Qt reads those).
start_two_monitors() {
    local w=$1 h=$2 i
    command -v Xephyr >/dev/null || skip "Xephyr is not installed (scripts/install-deps e2e)"
    command -v xrandr >/dev/null || skip "xrandr is not installed (scripts/install-deps e2e)"
    start_xvfb $((2 * w + 40)) $((h + 40))
    Xephyr -displayfd 3 +xinerama -screen "${w}x${h}+0+0" -screen "${w}x${h}+${w}+0" -nolisten tcp -noreset \
        3>"$WORK/xephyr.display" >"$WORK/xephyr.log" 2>&1 &
    PIDS+=($!)
    for i in $(seq 1 100); do
        [[ -s "$WORK/xephyr.display" ]] && break
        sleep 0.1
    done
    [[ -s "$WORK/xephyr.display" ]] || { cat "$WORK/xephyr.log" >&2; fail "Xephyr did not start"; }
    export DISPLAY=":$(head -n1 "$WORK/xephyr.display")"
    xrandr --setmonitor left "${w}/300x${h}/200+0+0" default >/dev/null 2>&1 || fail "xrandr --setmonitor failed"
    xrandr --setmonitor right "${w}/300x${h}/200+${w}+0" none >/dev/null 2>&1 || fail "xrandr --setmonitor failed"
    SCREEN_W=$w
    SCREEN_H=$h
}

# make_saver NAME: prints the program path NAME.scr (a link to qv) whose data folder is velloran/NAME.
make_saver() {
    local name=$1
    mkdir -p "$WORK/saver/velloran/$name"
    ln -sf "$VIS_QV" "$WORK/saver/$name.scr"
    echo "$WORK/saver/$name.scr"
}
data_folder() { echo "$WORK/saver/velloran/$1"; }

# make_picture FILE W H: a JPEG of four coloured quarters, so that a shifted picture cannot match.
make_picture() {
    local file=$1 w=$2 h=$3
    convert -size "${w}x${h}" xc:'#d02020' \
        -fill '#2040e0' -draw "rectangle $((w / 2)),0 $((w - 1)),$((h / 2 - 1))" \
        -fill '#20c040' -draw "rectangle 0,$((h / 2)) $((w / 2 - 1)),$((h - 1))" \
        -fill '#f0e060' -draw "rectangle $((w / 2)),$((h / 2)) $((w - 1)),$((h - 1))" \
        -quality 92 "jpg:$file"
}

# write_inf FOLDER LAST MASK SHOW HIDE: qor_inf with CR LF lines.
write_inf() { printf '%s\r\n%s\r\n%s\r\n%s\r\n' "$2" "$3" "$4" "$5" >"$1/qor_inf"; }

# decoded FILE OUT: the picture as decoded raw RGB bytes, to compare the screen with.
decoded() { convert "$1" -depth 8 "rgb:$2"; }

# start_saver PROGRAM ARGS...: runs the program in the background; SAVER_PID and SAVER_LOG name it.
start_saver() {
    SAVER_LOG="$WORK/saver.$RANDOM.log"
    "$@" >"$SAVER_LOG" 2>&1 &
    SAVER_PID=$!
    PIDS+=("$SAVER_PID")
    SAVER_START_NS=$(date +%s%N)
}

# wait_end PID SECONDS: waits for the program to end; its exit status is left in EXIT_STATUS.
wait_end() {
    local pid=$1 seconds=$2 i
    for i in $(seq 1 $((seconds * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            set +e
            wait "$pid"
            EXIT_STATUS=$?
            set -e
            return 0
        fi
        sleep 0.05
    done
    fail "the program did not end within $seconds s"
}

running() { kill -0 "$1" 2>/dev/null; }

# pixel X Y: the screen's colour there as "r,g,b".
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n1 | sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# wait_window_gone SECONDS: waits until no window named Fmqv is mapped.
wait_saver_window() {
    local i
    for i in $(seq 1 $(($1 * 10))); do
        xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "no saver window appeared within $1 s"
}
