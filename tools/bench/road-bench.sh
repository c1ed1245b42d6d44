#!/usr/bin/env bash
# Time from the Fix hot key to the pasted text over 20 presses, with the loopback backend
# answering at once, minus the waits the pasteboard timing prescribes; prints the median
# overhead. Reports numbers only; it asserts nothing.
#   tools/bench/road-bench.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${NIVELO_BUILD_DIR:-$root/build}"
"$root/scripts/build"
exec "$build/tools/bench/nivelo_road"
