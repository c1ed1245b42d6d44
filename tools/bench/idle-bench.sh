#!/usr/bin/env bash
# Idle footprint of nivelo on a private Xvfb + openbox: time from launch to ready (median of
# five launches), resident memory 10 s after launch (with the status HUD shown once on the way),
# and CPU time over the next 30 s of idle.
# Reports numbers only; it asserts nothing.
#   [NIVELO_BENCH_HUD=0] [NIVELO_BENCH_WINDOW=0] tools/bench/idle-bench.sh [path/to/nivelo]
# NIVELO_BENCH_WINDOW=0 launches without the main window: the difference is what the window
# costs.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
binary="${1:-${NIVELO_BUILD_DIR:-$root/build}/nivelo}"
launches="${NIVELO_BENCH_LAUNCHES:-5}"
[[ -x "$binary" ]] || { echo "no nivelo binary at $binary (build first)" >&2; exit 1; }
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 1; }
done

source "$(dirname "$0")/bench-desktop.sh"

socket="$XDG_DATA_HOME/ai.nivelo.native/nivelo.socket"
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Ready: the instance answers a later launch (it listens once start-up is done). Mapped: its
# main window is on screen.
ready_times=()
mapped_times=()
for ((n = 0; n < launches; n++)); do
  start=$(now_ms)
  "$binary" >/dev/null 2>&1 &
  pid=$!
  until [[ -S "$socket" ]]; do
    kill -0 "$pid" 2>/dev/null || { echo "nivelo exited during launch" >&2; exit 1; }
    sleep 0.001
  done
  ready_times+=($(( $(now_ms) - start )))
  until xdotool search --onlyvisible --name '^NiveloAI$' >/dev/null 2>&1; do sleep 0.005; done
  mapped_times+=($(( $(now_ms) - start )))
  kill -TERM "$pid"
  wait "$pid" || true
  rm -f "$socket"
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Idle: the window shown as at a normal launch, the Fix hot key pressed once (it fails, with
# no backend to reach, which shows the status HUD for a moment), then left alone.
export NIVELO_BACKEND_ORIGIN="http://127.0.0.1:9"
window="shown"
if [[ "${NIVELO_BENCH_WINDOW:-1}" == 0 ]]; then
  window="not shown"
  printf 'nivelo.openMainWindowOnLaunch=false\n' >> "$work/config/ai.nivelo.native/defaults.ini"
fi
"$binary" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
sleep 2
hud="not shown"
# NIVELO_BENCH_HUD=0 leaves the HUD out, for the footprint of a launch alone.
[[ "${NIVELO_BENCH_HUD:-1}" == 0 ]] || xdotool key alt+1
for ((t = 0; t < 300 && ${NIVELO_BENCH_HUD:-1} != 0; t++)); do
  if xdotool search --onlyvisible --name '^NiveloAI Status$' >/dev/null 2>&1; then
    hud="shown"
    break
  fi
  sleep 0.01
done
sleep 8
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
# Most of the resident set is shared library pages (Qt, ICU, fonts) that every Qt program on
# the desktop shares; the proportional and private figures are what this process adds.
pss_kb=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup")
private_kb=$(awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$pid/smaps_rollup")
# The windows' images shared with the X server (MIT-SHM), one per window shown so far.
shm_kb=$(awk '/^[0-9a-f]+-/ { shm = ($6 ~ /^\/(memfd:xorg|SYSV)/) } shm && /^Rss:/ { s += $2 } END { print s + 0 }' \
  "/proc/$pid/smaps")
# Nanoseconds on a CPU, summed over the threads (schedstat is finer than the 10 ms clock ticks
# of /proc/<pid>/stat, which cannot tell 0.01 % from 0.06 % in 30 s).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
wakeups() { awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$1/status"; }
before=$(cpu_ns "$pid")
wake_before=$(wakeups "$pid")
sleep 30
after=$(cpu_ns "$pid")
wake_after=$(wakeups "$pid")
cpu_us=$(( (after - before) / 1000 ))

echo "nivelo idle bench ($binary, display $DISPLAY)"
printf 'launch to ready:        %4d ms median of %d (%s)   target < 300 ms\n' \
  "$(median "${ready_times[@]}")" "$launches" "${ready_times[*]}"
printf 'launch to window shown: %4d ms median of %d (%s)\n' \
  "$(median "${mapped_times[@]}")" "$launches" "${mapped_times[*]}"
echo "main window:            $window"
echo "status HUD:             $hud"
awk -v kb="$rss_kb" 'BEGIN { printf "resident after 10 s:    %6.1f MB   target <= 35 MB\n", kb / 1024 }'
awk -v p="$pss_kb" -v q="$private_kb" -v m="$shm_kb" 'BEGIN { printf "  of which proportional %.1f MB, private %.1f MB, window images shared with X %.1f MB\n", p / 1024, q / 1024, m / 1024 }'
awk -v us="$cpu_us" 'BEGIN { printf "CPU over 30 s idle:     %6.1f ms = %.3f %% of one core   target < 0.03 %%\n", us / 1000, us / 300000 }'
echo "main-thread wake-ups over 30 s idle: $((wake_after - wake_before))"
