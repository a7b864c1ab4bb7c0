#!/usr/bin/env bash
# What the saver costs under Xvfb, in one run of the real program:
# - the processor share over 10 s of display time (a picture standing, no ticks due), for the sleeping loop and
#   for the classic loop that polls the clock whenever the event queue is empty (VISTRELLE_LOOP=spin);
# - during transitions (one-second display and pause, 50 ms steps): the lateness of the effect steps against
#   their due times, and how long the ticks that load a picture pair take, with the pictures decoded ahead and
#   with each load decoding in its own tick (VISTRELLE_DECODE_AHEAD=0), as the ratio of the two medians, and
#   the peak resident memory of both runs;
# With --against OLD_QV, also against that older program, the two taking turns three times so that a change in
# the machine's load falls on both: the processor share during continuous transitions (display and pause 0 s;
# saver and X server) and the time from the start to the first picture on the screen.
# Usage: bench/linux_cpu.sh [--screen WxH] [--pictures WxH] [--against OLD_QV] [QV]
#        (defaults: 1280x720, 640x480, no comparison; QV from build/release, then build/dev)
# The machine's load shows in these figures: note the load average printed beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
screen=1280x720 pictures=640x480 against="" qv=""
size_ok() { [[ "$1" =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]]; }
while [[ $# -gt 0 ]]; do
    case "$1" in
    --screen) screen=${2:-}; shift 2 ;;
    --pictures) pictures=${2:-}; shift 2 ;;
    --against) against=${2:-}; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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
probe=build/dev/tests/e2e/e2e_xprobe
if [[ -n "$against" && ! -x "$probe" ]]; then
    [[ -f build/dev/build.ninja ]] || cmake --preset dev >/dev/null
    cmake --build --preset dev --target e2e_xprobe >/dev/null
fi

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
inf() { printf '2\r\n1111111111111111\r\n%s\r\n%s\r\n' "$1" "$2" >"$data/qor_inf"; }

# run NAME SHOW HIDE SECONDS MEASURE_FROM [PROGRAM]: runs the show (environment from the caller); prints the CPU
# share of the saver and of the X server over [MEASURE_FROM, +10 s] (when MEASURE_FROM is not empty) and
# leaves the tick log in $work/ticks.NAME.
run() {
    local name=$1 show=$2 hide=$3 seconds=$4 from=$5 program=${6:-Bench} pid t0 t1 c0 c1 x0 x1
    inf "$show" "$hide"
    VISTRELLE_TICK_LOG="$work/ticks.$name" "$work/$program.scr" /s >/dev/null 2>&1 &
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
    # The peak of the resident memory, before the window closes.
    awk '/^VmHWM/ {print $2}' "/proc/$pid/status" >"$work/peak.$name"
    xdotool key Escape
    wait "$pid"
}

# Tick log columns: due_us ran_us took_us state (0: the tick loaded a picture pair; 2 and 4: effect steps).
# Prints: effect steps, their lateness p50, p99 and max (ms); loads, their median and max duration (ms); and
# the p99 of how long after its due time an effect step had finished drawing (ms).
ticks() {
    python3 - "$1" <<'PY'
import sys
rows = [list(map(int, line.split())) for line in open(sys.argv[1]) if line.strip()]
late = sorted((r[1] - r[0]) / 1000.0 for r in rows if r[3] in (2, 4))
done = sorted((r[1] + r[2] - r[0]) / 1000.0 for r in rows if r[3] in (2, 4))
loads = sorted(r[2] / 1000.0 for r in rows if r[3] == 0)
def pct(v, p): return v[min(len(v) - 1, int(p / 100.0 * len(v)))] if v else float("nan")
print(f"{len(late)} {pct(late, 50):.2f} {pct(late, 99):.2f} {late[-1] if late else float('nan'):.2f} "
      f"{len(loads)} {pct(loads, 50):.1f} {loads[-1] if loads else float('nan'):.1f} {pct(done, 99):.2f}")
PY
}

echo "program: $qv"
# Each run is read through a command substitution, which waits for the run to end: the saver allows only one
# instance at a time.
echo "screen $screen, pictures $pictures; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Display time: picture 1 stands from about 3.5 s after the start; 12 s of display, measured from 4 s.
read -r cpu_sleep _ <<<"$(run sleep 15 1 16 4)"
read -r cpu_spin _ <<<"$(VISTRELLE_LOOP=spin run spin 15 1 16 4)"
# Transitions: one-second display and pause, so most ticks are 50 ms effect steps.
# Both with the same pictures and effects, so that their peak memory differs only by what is decoded ahead
# (Dai_shou alone touches Composite, for one).
VISTRELLE_SEED=1 run steps 1 1 20 "" >/dev/null
read -r n_steps p50 p99 late_max n_loads load_med load_max done99 < <(ticks "$work/ticks.steps")
VISTRELLE_SEED=1 VISTRELLE_DECODE_AHEAD=0 run own 1 1 20 "" >/dev/null
read -r n_own own_p50 own_p99 own_max n_own_loads own_med own_load_max _ < <(ticks "$work/ticks.own")
VISTRELLE_LOOP=spin run spin_steps 1 1 20 "" >/dev/null
read -r n_spin spin_p50 spin_p99 spin_max _ < <(ticks "$work/ticks.spin_steps")

printf '\n| loop | CPU over 10 s of display | effect steps | lateness p50 | p99 | max |\n|---|---|---|---|---|---|\n'
printf '| sleeping until the due millisecond (timerfd) | %s %% | %s | %s ms | %s ms | %s ms |\n' \
    "$cpu_sleep" "$n_steps" "$p50" "$p99" "$late_max"
printf '| polling on every empty queue (classic idle loop) | %s %% | %s | %s ms | %s ms | %s ms |\n' \
    "$cpu_spin" "$n_spin" "$spin_p50" "$spin_p99" "$spin_max"
printf '\n| loads | ticks | median | max | effect-step lateness p99 |\n|---|---|---|---|---|\n'
printf '| pictures decoded ahead | %s | %s ms | %s ms | %s ms |\n' "$n_loads" "$load_med" "$load_max" "$p99"
printf '| each load decoding in its own tick | %s | %s ms | %s ms | %s ms |\n' \
    "$n_own_loads" "$own_med" "$own_load_max" "$own_p99"
ratio() { python3 -c "a, b = $1, $2; print(f'{a / b:.3f}' if b > 0 else 'nan')"; }
figures=$(printf '| effect-step lateness p99, %s pictures on %s (drawn by: %s ms after due) | %s ms | <= 5 ms |\n' \
    "$pictures" "$screen" "$done99" "$p99")
figures+=$'\n'$(printf '| loading tick (median), decoded ahead / in its own tick | %s ms / %s ms = %s | <= 0.10 |\n' \
    "$load_med" "$own_med" "$(ratio "$load_med" "$own_med")")
# Peak memory: decoding ahead holds the next picture and its frame beside the show's own bitmaps.
read -r pw ph <<<"${pictures/x/ }"
peak_ahead=$(cat "$work/peak.steps") peak_own=$(cat "$work/peak.own")
extra=$(python3 -c "print(f'{($peak_ahead - $peak_own) * 1024 / ((($pw * 3 + 3) // 4 * 4) * $ph):.2f}')")
printf '\npeak resident memory: %s MiB decoding ahead, %s MiB with each load decoding itself\n' \
    "$((peak_ahead / 1024))" "$((peak_own / 1024))"
figures+=$'\n'$(printf '| peak memory, decoding ahead - in its own tick | %s MiB = %s picture-sized bitmaps | <= 2 |\n' \
    "$(((peak_ahead - peak_own) / 1024))" "$extra")

if [[ -n "$against" ]]; then
    # The opening picture's centre pixel, as the screen shows it.
    read -r pw ph < <(identify -format '%w %h\n' "$data/qor_0")
    read -r sw sh <<<"${screen/x/ }"
    cx=$((sw / 2)) cy=$((sh / 2))
    convert "jpg:$data/qor_0" -crop "1x1+$((cx - (sw - pw) / 2))+$((cy - (sh - ph) / 2))" -depth 8 "rgb:$work/centre.rgb"
    # first_picture PROGRAM: milliseconds from the start to the opening picture's centre on the screen.
    first_picture() {
        local start ms pid
        inf 5 5
        start=$(date +%s%N)
        "$work/$1.scr" /s >/dev/null 2>&1 &
        pid=$!
        "$probe" wait-region "$cx" "$cy" 1 1 "$work/centre.rgb" 12 20000 >/dev/null || echo "first picture not seen" >&2
        ms=$((($(date +%s%N) - start) / 1000000))
        xdotool key Escape
        wait "$pid" || true
        echo "$ms"
    }
    # Continuous transitions, from 3 s after the start (past the opening picture) for 10 s.
    printf '\nContinuous transitions, %s screen, %s pictures, CPU share over 10 s; start to first picture:\n' \
        "$screen" "$pictures"
    printf '| round | this saver | X server | first picture | older saver | X server | first picture |\n'
    printf '|---|---|---|---|---|---|---|\n'
    new_sum=0 old_sum=0 new_first=() old_first=()
    for round in 1 2 3; do
        read -r new_cpu new_x <<<"$(run cont 0 0 14 3 Bench)"
        read -r old_cpu old_x <<<"$(run cont_old 0 0 14 3 Old)"
        new_first+=("$(first_picture Bench)")
        old_first+=("$(first_picture Old)")
        printf '| %s | %s %% | %s %% | %s ms | %s %% | %s %% | %s ms |\n' "$round" "$new_cpu" "$new_x" \
            "${new_first[-1]}" "$old_cpu" "$old_x" "${old_first[-1]}"
        new_sum=$(python3 -c "print($new_sum + $new_cpu)")
        old_sum=$(python3 -c "print($old_sum + $old_cpu)")
    done
    median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
    figures+=$'\n'$(printf '| saver CPU, continuous transitions, this / older | %s %% / %s %% = %s | <= 0.50 |\n' \
        "$(python3 -c "print(f'{$new_sum / 3:.1f}')")" "$(python3 -c "print(f'{$old_sum / 3:.1f}')")" \
        "$(ratio "$new_sum" "$old_sum")")
    figures+=$'\n'$(printf '| start to first picture (median of 3), this / older | %s ms / %s ms | <= 1050 ms |\n' \
        "$(median "${new_first[@]}")" "$(median "${old_first[@]}")")
fi
printf '\n| figure | measured | target |\n|---|---|---|\n%s\n' "$figures"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
