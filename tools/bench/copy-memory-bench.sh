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

bench_cleanup() {
  pkill -f "xclip -quiet -selection clipboard -i $work" 2>/dev/null || true
}
source "$(dirname "$0")/bench-desktop.sh"
printf 'nivelo.openMainWindowOnLaunch=false\n' >> "$work/config/ai.nivelo.native/defaults.ini"
export NIVELO_BACKEND_ORIGIN="http://127.0.0.1:9"

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
