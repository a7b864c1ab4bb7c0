#!/usr/bin/env bash
# What the saver's loop costs under Xvfb: the processor share of the saver process over 10 s of display
# time (a picture standing, no ticks due) and the lateness of ticks against their due times during
# transitions (50 ms steps), for the sleeping loop and for the classic loop that polls the clock whenever
# the event queue is empty (VISTRELLE_LOOP=spin).
# Usage: bench/linux_cpu.sh [QV]   (default: build/release, then build/dev)
# The machine's load shows in the lateness: note the load average beside the numbers.
set -euo pipefail
cd "$(dirname "$0")/.."
qv=${1:-}
if [[ -z "$qv" ]]; then
    for candidate in build/release/src/platform/qt/qv build/dev/src/platform/qt/qv; do
        [[ -x "$candidate" ]] && { qv=$candidate; break; }
    done
fi
[[ -x "$qv" ]] || { echo "linux_cpu.sh: no qv program; build it first (make build)" >&2; exit 2; }
qv=$(realpath "$qv")
for tool in Xvfb xdotool convert python3; do
    command -v "$tool" >/dev/null || { echo "linux_cpu.sh: $tool is missing (scripts/install-deps e2e)" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null; [[ -n "${KEEP_TICKS:-}" ]] && cp "$work"/ticks.* "$KEEP_TICKS"/; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/run" VISTRELLE_AUDIO=none
mkdir -m 700 "$XDG_RUNTIME_DIR"

data="$work/velloran/Bench"
mkdir -p "$data"
ln -s "$qv" "$work/Bench.scr"
convert -size 640x480 plasma:fractal -quality 90 "jpg:$data/qor_0"
convert -size 640x480 gradient:navy-orange -quality 90 "jpg:$data/qor_1"
convert -size 640x480 gradient:green-white -quality 90 "jpg:$data/qor_2"
hz=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# run LOOP SHOW HIDE SECONDS MEASURE_FROM: runs the show; prints the CPU share over [MEASURE_FROM, +10 s]
# (when MEASURE_FROM is not empty) and leaves the tick log in $work/ticks.LOOP.
run() {
    local loop=$1 show=$2 hide=$3 seconds=$4 from=$5 pid t0 t1 c0 c1
    printf '2\r\n1111111111111111\r\n%s\r\n%s\r\n' "$show" "$hide" >"$data/qor_inf"
    VISTRELLE_LOOP=$loop VISTRELLE_TICK_LOG="$work/ticks.$loop" "$work/Bench.scr" /s >/dev/null 2>&1 &
    pid=$!
    if [[ -n "$from" ]]; then
        sleep "$from"
        c0=$(cpu_ticks "$pid"); t0=$(date +%s%N)
        sleep 10
        c1=$(cpu_ticks "$pid"); t1=$(date +%s%N)
        python3 -c "print(f'{100.0 * ($c1 - $c0) / $hz / (($t1 - $t0) / 1e9):.1f}')"
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
late = sorted((int(actual) - int(due)) / 1000.0 for due, actual in rows[1:])  # the first tick has no armed due time
def pct(p): return late[min(len(late) - 1, int(p / 100.0 * len(late)))]
print(f"{len(late)} {pct(50):.2f} {pct(99):.2f} {late[-1]:.2f}")
PY
}

echo "program: $qv"
# Display time: picture 1 stands from about 3.5 s after the start; 12 s of display, measured from 4 s.
cpu_sleep=$(run sleep 15 1 16 4)
cpu_spin=$(run spin 15 1 16 4)
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
