#!/usr/bin/env bash
# What the saver's loop costs under Xvfb: the processor share of the saver process over 10 s of display
# time (a picture standing, no ticks due) and the lateness of ticks against their due times during
# transitions (50 ms steps), for the sleeping loop and for the classic loop that polls the clock whenever
# the event queue is empty (VISTRELLE_LOOP=spin).
# With --against OLD_QV it also runs continuous transitions (display and pause 0 s) with this program and
# with OLD_QV alternately, three times each, and prints the processor share of each (saver, and the X server
# beside it) and the ratio of this program's share to the older one's.
# Usage: bench/linux_cpu.sh [--screen WxH] [--pictures WxH] [--against OLD_QV] [QV]
#        (defaults: 1280x720, 640x480, no comparison; QV from build/release, then build/dev)
# The machine's load shows in the lateness: note the load average beside the numbers.
set -euo pipefail
cd "$(dirname "$0")/.."
screen=1280x720 pictures=640x480 against="" qv=""
size_ok() { [[ "$1" =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]]; }
while [[ $# -gt 0 ]]; do
    case "$1" in
    --screen) screen=${2:-}; shift 2 ;;
    --pictures) pictures=${2:-}; shift 2 ;;
    --against) against=${2:-}; shift 2 ;;
    -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "linux_cpu.sh: unknown option $1" >&2; exit 2 ;;
    *) qv=$1; shift ;;
    esac
done
size_ok "$screen" || { echo "linux_cpu.sh: --screen wants WxH, not '$screen'" >&2; exit 2; }
size_ok "$pictures" || { echo "linux_cpu.sh: --pictures wants WxH, not '$pictures'" >&2; exit 2; }
if [[ -z "$qv" ]]; then
    for candidate in build/release/src/platform/qt/qv build/dev/src/platform/qt/qv; do
        [[ -x "$candidate" ]] && { qv=$candidate; break; }
    done
fi
[[ -x "$qv" ]] || { echo "linux_cpu.sh: no qv program; build it first (make build)" >&2; exit 2; }
qv=$(realpath "$qv")
if [[ -n "$against" ]]; then
    [[ -x "$against" ]] || { echo "linux_cpu.sh: --against $against is not a program" >&2; exit 2; }
    against=$(realpath "$against")
fi
for tool in Xvfb xdotool convert python3; do
    command -v "$tool" >/dev/null || { echo "linux_cpu.sh: $tool is missing (scripts/install-deps e2e)" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null; [[ -n "${KEEP_TICKS:-}" ]] && cp "$work"/ticks.* "$KEEP_TICKS"/; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/run" VISTRELLE_AUDIO=none
mkdir -m 700 "$XDG_RUNTIME_DIR"

data="$work/velloran/Bench"
mkdir -p "$data"
ln -s "$qv" "$work/Bench.scr"
[[ -n "$against" ]] && ln -s "$against" "$work/Old.scr" && ln -s Bench "$work/velloran/Old"
convert -size "$pictures" gradient:navy-orange -swirl 120 -quality 90 "jpg:$data/qor_0"
convert -size "$pictures" gradient:navy-orange -quality 90 "jpg:$data/qor_1"
convert -size "$pictures" gradient:green-white -swirl -90 -quality 90 "jpg:$data/qor_2"
hz=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
share() { python3 -c "print(f'{100.0 * ($2 - $1) / $hz / ($3 / 1e9):.1f}')"; }

# run LOOP SHOW HIDE SECONDS MEASURE_FROM [PROGRAM]: runs the show; prints the CPU share of the saver and of
# the X server over [MEASURE_FROM, +10 s] (when MEASURE_FROM is not empty) and leaves the tick log in
# $work/ticks.LOOP.
run() {
    local loop=$1 show=$2 hide=$3 seconds=$4 from=$5 program=${6:-Bench} pid t0 t1 c0 c1 x0 x1
    printf '2\r\n1111111111111111\r\n%s\r\n%s\r\n' "$show" "$hide" >"$data/qor_inf"
    VISTRELLE_LOOP=$loop VISTRELLE_TICK_LOG="$work/ticks.$loop" "$work/$program.scr" /s >/dev/null 2>&1 &
    pid=$!
    if [[ -n "$from" ]]; then
        sleep "$from"
        c0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$xvfb"); t0=$(date +%s%N)
        sleep 10
        c1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$xvfb"); t1=$(date +%s%N)
        echo "$(share "$c0" "$c1" $((t1 - t0))) $(share "$x0" "$x1" $((t1 - t0)))"
        sleep "$((seconds - from - 10))"
    else
        sleep "$seconds"
    fi
    xdotool key Escape
    wait "$pid"
}

lateness() {
    python3 - "$1" <<'PY'
import sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
late = sorted((int(actual) - int(due)) / 1000.0 for due, actual in rows)
def pct(p): return late[min(len(late) - 1, int(p / 100.0 * len(late)))]
print(f"{len(late)} {pct(50):.2f} {pct(99):.2f} {late[-1]:.2f}")
PY
}

echo "program: $qv"
# Each run is read through a command substitution, which waits for the run to end: the saver allows only one
# instance at a time.
echo "screen $screen, pictures $pictures; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Display time: picture 1 stands from about 3.5 s after the start; 12 s of display, measured from 4 s.
read -r cpu_sleep _ <<<"$(run sleep 15 1 16 4)"
read -r cpu_spin _ <<<"$(run spin 15 1 16 4)"
# Transitions: one-second display and pause, so most ticks are 50 ms effect steps.
run sleep 1 1 20 "" >/dev/null
read -r n_sleep p50_sleep p99_sleep max_sleep < <(lateness "$work/ticks.sleep")
run spin 1 1 20 "" >/dev/null
read -r n_spin p50_spin p99_spin max_spin < <(lateness "$work/ticks.spin")

printf '\n| loop | CPU over 10 s of display | ticks | lateness p50 | p99 | max |\n|---|---|---|---|---|---|\n'
printf '| sleeping until the due millisecond (timerfd) | %s %% | %s | %s ms | %s ms | %s ms |\n' \
    "$cpu_sleep" "$n_sleep" "$p50_sleep" "$p99_sleep" "$max_sleep"
printf '| polling on every empty queue (classic idle loop) | %s %% | %s | %s ms | %s ms | %s ms |\n' \
    "$cpu_spin" "$n_spin" "$p50_spin" "$p99_spin" "$max_spin"

if [[ -n "$against" ]]; then
    # Continuous transitions, from 3 s after the start (past the opening picture) for 10 s; the two programs
    # take turns so that a change in the machine's load falls on both.
    printf '\nContinuous transitions, %s screen, %s pictures, CPU share over 10 s:\n' "$screen" "$pictures"
    printf '| round | this saver | X server | older saver | X server |\n|---|---|---|---|---|\n'
    new_sum=0 old_sum=0
    for round in 1 2 3; do
        read -r new_cpu new_x <<<"$(run sleep 0 0 14 3 Bench)"
        read -r old_cpu old_x <<<"$(run sleep 0 0 14 3 Old)"
        printf '| %s | %s %% | %s %% | %s %% | %s %% |\n' "$round" "$new_cpu" "$new_x" "$old_cpu" "$old_x"
        new_sum=$(python3 -c "print($new_sum + $new_cpu)")
        old_sum=$(python3 -c "print($old_sum + $old_cpu)")
    done
    python3 -c "print(f'ratio saver CPU, this / older: {($new_sum) / ($old_sum) if $old_sum > 0 else float(\"nan\"):.3f}  (aim <= 0.50)')"
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
