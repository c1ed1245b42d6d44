# Sourced by the bench scripts: a private Xvfb + openbox and a data folder of their own for
# nivelo, all removed at exit. `pids` holds what to end (last first); a script that starts
# more adds to it, and may define bench_cleanup for its own helpers.
work="$(mktemp -d)"
pids=()
cleanup() {
  if declare -F bench_cleanup >/dev/null; then
    bench_cleanup
  fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config/ai.nivelo.native" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
# No backend here: automatic update checks would ask the build's real one.
printf '[General]\nnivelo.updates.automaticChecksEnabled=false\n' \
  > "$work/config/ai.nivelo.native/defaults.ini"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
export DBUS_SESSION_BUS_ADDRESS=disabled: NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 display_number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
