#!/bin/sh
# Installs the Debian packages the build needs, skipping those already present.
set -e
PKGS="cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth dpkg-dev file libtomlplusplus-dev libsqlite3-dev libeigen3-dev"
[ -n "$KRX_EXTRA_PKGS" ] && PKGS="$PKGS $KRX_EXTRA_PKGS"
MISSING=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || MISSING="$MISSING $p"
done
if [ -n "$MISSING" ]; then
  echo "Installing:$MISSING"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $MISSING
fi
