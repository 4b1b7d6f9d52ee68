#!/usr/bin/env bash
# Builds the Debian package of the show and its tools, then checks it.
# Usage: scripts/package.sh
# Installs whatever is missing (scripts/packages-build.txt and
# scripts/packages-package.txt), makes a Release build in build-package/
# laid out as Debian wants a game (/usr/games/glowmotion, media in
# /usr/share/games/glowmotion/, the tools in /usr/bin), packs it with CPack
# into build-package/glowmotion_VERSION_ARCH.deb, and runs lintian (any error
# or warning fails; information tags and overrides are shown),
# desktop-file-validate and appstreamcli (any remark fails) on what it
# holds, and checks the icons' sizes and that the dependencies were found.
# The compiler and linker flags are Debian's (dpkg-buildflags: hardening);
# the dates in the package are those of the last commit (SOURCE_DATE_EPOCH).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build-package

scripts/install-packages.sh package scripts/packages-build.txt scripts/packages-package.txt

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

configure() {
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DGLOWMOTION_GAMES_LAYOUT=ON -DGLOWMOTION_BUILD_TESTS=OFF -DGLOWMOTION_BUILD_BENCHMARKS=OFF \
    -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF -DGLOWMOTION_FUZZ=OFF \
    -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
}
if ! configure; then
  [ -e "$build/CMakeCache.txt" ] || exit 1
  echo "package: configuring $build/ failed; removing its CMake cache and configuring again" >&2
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  configure
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/glowmotion_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/glowmotion_*.deb)

# What the package holds, checked as a user's system would read it.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
fail() { echo "package: $*" >&2; exit 1; }
echo "== desktop-file-validate"
report=$(desktop-file-validate "$check"/usr/share/applications/glowmotion.desktop 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
echo "== appstreamcli validate --no-net --strict"
appstreamcli validate --no-net --strict --pedantic "$check"/usr/share/metainfo/*.metainfo.xml
# Each icon is as large as its folder says; the dependencies were found in
# the programs' libraries.
echo "== icons and dependencies"
for icon in "$check"/usr/share/icons/hicolor/*/apps/glowmotion.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  file -b "$icon" | grep -q "^PNG image data, ${size/x/ x }," || fail "$icon: $(file -b "$icon")"
  echo "$size"
done | paste -sd' '
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libsdl2 libopenmpt libpng16; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
echo "Depends: $depends"
echo "== lintian"
# Shown with its information tags and overrides; lintian would count a shown
# override as a failure, so the verdict is read from the tags: no E: or W:.
report=$(lintian --fail-on none --display-info --show-overrides "$deb" 2>&1)
echo "$report"
! grep -qE '^[EW]: ' <<<"$report" || fail "lintian found errors or warnings"
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
