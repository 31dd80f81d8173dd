#!/usr/bin/env bash
# Builds the drive simulator and a small host program, starts drivesim on the link library's
# simulator channel, runs a short scripted session of reads and writes against it through
# libcomm700.so, and stops the simulator.
#   scripts/demo-sim.sh [BUILD_DIR]      (default: build, configured with the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${JOBS:-$(nproc)}

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  if [ "$build" = build ]; then
    cmake --preset default >/dev/null
  else
    cmake -S . -B "$build" -G Ninja >/dev/null
  fi
fi
cmake --build "$build" --target drivesim sim_demo -j "$jobs"

# A namespace of our own, so the demo never meets another program's simulator channel.
export COMM700_NAMESPACE="demo-sim-$$"
ready=$(mktemp)
"$build/bin/drivesim" --model 733 --axes 1 >"$ready" &
sim=$!
stop_sim() {
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -f "$ready"
  rm -f /dev/shm/"$COMM700_NAMESPACE".* 2>/dev/null || true
}
trap stop_sim EXIT

# Wait for drivesim's ready line (at most 10 s).
for _ in $(seq 100); do
  [ -s "$ready" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "drivesim ended before it was ready" >&2; exit 1; }
  sleep 0.1
done
[ -s "$ready" ] || { echo "drivesim did not become ready" >&2; exit 1; }
echo "drivesim is answering on the $(head -n1 "$ready")"

"$build/bin/sim_demo" 1
