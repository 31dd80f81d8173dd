#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, starts the drive simulator on the link library's
# simulator channel and Tools700 connected to it; stops the simulator when Tools700 ends.
#
#   scripts/run.sh [Tools700 options, e.g. -inhouse]
#
# Environment:
#   SIM_MODEL     drive model the simulator plays (default 733; 743 shows the control-mode switch)
#   SIM_OPTIONS   further drivesim options, e.g. "--serial-control" or "--fault 2"
#   TOOLS700_SETTINGS  settings file (default: build/700Tools-simulator.ini, so the port stored for
#                 a real drive in ~/.config/Korvane/700Tools.ini does not take the simulator's place)
#   BUILD_DIR     build folder of the default preset (default: build)
#   NO_BUILD=1    skip the set-up and the build (an existing BUILD_DIR is used as it is)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ "${NO_BUILD:-}" != 1 ]; then
  scripts/setup.sh
  scripts/build.sh default
fi

# A namespace of our own: the simulator channel and the locks of this run meet no other program.
export COMM700_NAMESPACE="tools700-run-$$"
export TOOLS700_SETTINGS="${TOOLS700_SETTINGS:-$(cd "$build" && pwd)/700Tools-simulator.ini}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display; Tools700 runs on Qt's offscreen platform (end it with Ctrl-C)" >&2
  export QT_QPA_PLATFORM=offscreen
fi

ready=$(mktemp)
# shellcheck disable=SC2086
"$build/bin/drivesim" --model "${SIM_MODEL:-733}" --axes 1 ${SIM_OPTIONS:-} >"$ready" &
sim=$!
app=
# shellcheck disable=SC2317  # stop_sim and on_signal run from the traps
stop_sim() {
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -f "$ready"
  rm -f /dev/shm/"$COMM700_NAMESPACE".* 2>/dev/null || true
}
# A signal to this script alone (kill, a service manager, timeout --foreground) ends Tools700 as
# well; bash would otherwise wait for Tools700 to end before it acts on the signal.
# shellcheck disable=SC2317
on_signal() {
  if [ -n "$app" ]; then
    kill -TERM "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  exit "$1"
}
trap stop_sim EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM

# drivesim prints one line once it answers.
for _ in $(seq 100); do
  [ -s "$ready" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "run.sh: drivesim ended before it was ready" >&2; exit 1; }
  sleep 0.1
done
[ -s "$ready" ] || { echo "run.sh: drivesim did not become ready" >&2; exit 1; }
echo "run.sh: drivesim (model ${SIM_MODEL:-733}, axis 1) answers on the $(head -n1 "$ready"); starting Tools700"

# In the background, so that the traps run as soon as a signal comes.
"$build/bin/Tools700" "$@" &
app=$!
status=0
wait "$app" || status=$?
app=
exit $status
