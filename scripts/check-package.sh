#!/bin/sh
# Makes the Debian package from a build folder (default build/), checks it with lintian,
# installs the program into a scratch root, checks the installed files against the package,
# and starts the installed program with no display: --version, a wrong option, and a first
# start in demo mode.
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
fail() { echo "package check: $*" >&2; exit 1; }

cmake --build "$BUILD" --target krx8 daqx krx8_man krx8_changelog
rm -f "$BUILD"/krx8_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD"/krx8_*.deb)
echo "-- $(basename "$DEB"): Depends: $(dpkg-deb -f "$DEB" Depends)"
for field in Maintainer Description Depends; do
  [ -n "$(dpkg-deb -f "$DEB" $field)" ] || fail "no $field field"
done
dpkg-deb -f "$DEB" Depends | grep -q libqt6widgets6 || fail "Depends does not name Qt"
# The private driver library needs no ldconfig: the package has no maintainer scripts.
[ -z "$(dpkg-deb -I "$DEB" | grep -E 'postinst|postrm|preinst|prerm')" ] || fail "maintainer scripts"
top=$(sed -n '1s/^krx8 (\([^)]*\)).*/\1/p' "$ROOT/cmake/debian/changelog")
[ "$top" = "$(dpkg-deb -f "$DEB" Version)" ] || fail "the changelog's latest entry is $top"
# Errors and warnings fail, with no overrides; the informational tags left are the original
# texts' spellings, the help page read by the program beside its samples, and hardening that
# the build flags, not the package, would give.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$DEB" || fail "lintian"
  echo "-- lintian: no errors or warnings"
else
  echo "-- lintian is not installed: the package was not linted (.ci/run installs it)"
fi

STAGE="$BUILD/stage"
rm -rf "$STAGE" "$BUILD/stage-home"
DESTDIR="$STAGE" cmake --install "$BUILD" --prefix /usr >/dev/null
for f in bin/krx8 lib/krx8/libdaqx.so share/krx8/KRXFileC.000 share/krx8/KRX8Cal.Dat \
         share/krx8/help/index.html share/applications/krx8.desktop share/man/man1/krx8.1.gz \
         share/icons/hicolor/scalable/apps/krx8.svg share/icons/hicolor/16x16/apps/krx8.png \
         share/icons/hicolor/48x48/apps/krx8.png share/icons/hicolor/256x256/apps/krx8.png \
         share/doc/krx8/copyright share/doc/krx8/changelog.gz; do
  [ -f "$STAGE/usr/$f" ] || fail "/usr/$f is not installed"
done
(cd "$STAGE" && find . -type f | sort) > "$BUILD/stage.files"
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ {print $6}' | sort > "$BUILD/deb.files"
diff "$BUILD/stage.files" "$BUILD/deb.files" || fail "the package and the installation differ"
# A run path would let the program find its own simulated driver by itself.
! readelf -d "$STAGE/usr/bin/krx8" | grep -Eq 'RPATH|RUNPATH' || fail "krx8 has a run path"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$STAGE/usr/share/applications/krx8.desktop"
fi
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$STAGE/usr/share/man/man1/krx8.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual page: $warnings"
fi

KRX8="$STAGE/usr/bin/krx8"
export QT_QPA_PLATFORM=offscreen
[ "$("$KRX8" --version)" = "krx8 $(dpkg-deb -f "$DEB" Version)" ] || fail "--version"
"$KRX8" --help | grep -q KRX8_DAQX_LIBRARY || fail "--help"
rc=0; "$KRX8" --no-such-option 2>/dev/null || rc=$?
[ "$rc" -eq 2 ] || fail "an unknown option exits with $rc"

# First start from an empty folder: the per-user folder is seeded, the program looks for the
# driver on the system's path only, and is still running (in demo mode) when stopped.
mkdir -p "$BUILD/stage-home/elsewhere"
(cd "$BUILD/stage-home/elsewhere" && exec env -u KRX8_DAQX_LIBRARY -u XDG_DATA_HOME \
  HOME="$BUILD/stage-home" LD_DEBUG=libs LD_DEBUG_OUTPUT="$BUILD/stage-home/ld" \
  "$KRX8" --no-splash >/dev/null 2>&1) &
pid=$!
tries=0
until grep -qs "find library=libdaqx.so" "$BUILD/stage-home"/ld.*; do
  tries=$((tries + 1))
  [ "$tries" -le 100 ] && kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the installed program ended on its first start"
kill "$pid"
wait "$pid" 2>/dev/null || true
for f in KRXFileC.000 KRX8Cal.Dat; do
  cmp -s "$BUILD/stage-home/.local/share/krx8/$f" "$STAGE/usr/share/krx8/$f" || fail "$f not seeded"
done
grep -q "find library=libdaqx.so" "$BUILD/stage-home"/ld.* || fail "the driver was not looked for"
! grep -q "krx8/libdaqx.so" "$BUILD/stage-home"/ld.* || fail "the simulated driver was loaded"
echo "-- installed files, package contents and the installed program checked"
