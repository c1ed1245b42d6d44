#!/usr/bin/env bash
# Resident memory of nivelo while large copies are recorded: six 20 MB texts (by default) copied one after
# another with xclip on a private Xvfb + openbox, the resident set after each is in the history,
# then after 30 s of idle, and the history file's size. Reports numbers only.
#   [NIVELO_BENCH_COPIES=6] [NIVELO_BENCH_COPY_MB=20] tools/bench/copy-memory-bench.sh [path/to/nivelo]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
binary="${1:-${NIVELO_BUILD_DIR:-$root/build}/nivelo}"
copies="${NIVELO_BENCH_COPIES:-6}"
megabytes="${NIVELO_BENCH_COPY_MB:-20}"
[[ -x "$binary" ]] || { echo "no nivelo binary at $binary (build first)" >&2; exit 1; }
for tool in Xvfb openbox xclip; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
  pkill -f "xclip -quiet -selection clipboard -i $work" 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config/ai.nivelo.native" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
printf '[General]\nnivelo.updates.automaticChecksEnabled=false\nnivelo.openMainWindowOnLaunch=false\n' \
  > "$work/config/ai.nivelo.native/defaults.ini"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
export DBUS_SESSION_BUS_ADDRESS=disabled: NO_AT_BRIDGE=1 NIVELO_BACKEND_ORIGIN="http://127.0.0.1:9"
unset WAYLAND_DISPLAY

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 display_number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1

"$binary" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
sleep 3
rss() { awk '/^VmRSS:/ { printf "%.0f", $2 / 1024 }' "/proc/$pid/status"; }
history="$XDG_DATA_HOME/ai.nivelo.native/clipboard-history.ini"
echo "nivelo copy memory bench ($binary)"
echo "resident at start: $(rss) MB"
for ((n = 1; n <= copies; n++)); do
  file="$work/copy$n.txt"
  # A text of that size, each copy its own (the history keeps one entry per text).
  python3 -c "import sys; sys.stdout.write('copy $n ' + 'the quick brown fox jumps. ' * ($megabytes * 1024 * 1024 // 27))" > "$file"
  pkill -f "xclip -quiet -selection clipboard -i $work" 2>/dev/null || true
  before=$(stat -c %s "$history" 2>/dev/null || echo 0)
  xclip -quiet -selection clipboard -i "$file" >/dev/null 2>&1 &
  # Recorded: the history file grew by the copy.
  for ((t = 0; t < 600; t++)); do
    now=$(stat -c %s "$history" 2>/dev/null || echo 0)
    (( now > before + megabytes * 1000000 )) && break
    sleep 0.1
  done
  sleep 2
  printf 'after copy %d: resident %4s MB, history file %4.0f MB\n' "$n" "$(rss)" \
    "$(awk -v b="$(stat -c %s "$history" 2>/dev/null || echo 0)" 'BEGIN { print b / 1048576 }')"
done
sleep 30
echo "after 30 s idle: resident $(rss) MB"
