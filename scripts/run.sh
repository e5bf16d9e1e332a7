#!/bin/sh
# Builds the program and starts it in demo mode in a working directory of its own (run/).
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" --target krx8 daqx
mkdir -p "$ROOT/run"
for f in KRXFileC.000 KRX8Cal.Dat; do
  [ -f "$ROOT/run/$f" ] || { [ -f "$ROOT/sample/$f" ] && cp "$ROOT/sample/$f" "$ROOT/run/$f"; } || true
done
cd "$ROOT/run"
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
  echo "No display found: starting the program under Xvfb on :99 (screenshot with DISPLAY=:99 import -window root shot.png)."
  Xvfb :99 -screen 0 1280x900x24 >/dev/null 2>&1 &
  XVFB=$!
  trap 'kill $XVFB 2>/dev/null' EXIT INT TERM
  sleep 1
  export DISPLAY=:99
  "$ROOT/build/krx8" "$@"
  exit $?
fi
exec "$ROOT/build/krx8" "$@"
