#!/usr/bin/env bash
# Builds the Debian package of Quarrow in build-package/ and names the command
# that installs it.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-package"
. "$top/scripts/build_dir.sh"
check_build_dir "$build"
"$top/scripts/deps.sh" package
# The distribution's hardening, as its own packages get it: fortified string
# functions, stack protector, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(cd "$top" && dpkg-buildflags --get CPPFLAGS) $(cd "$top" && dpkg-buildflags --get CXXFLAGS)"
ldflags=$(cd "$top" && dpkg-buildflags --get LDFLAGS)
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARROW_TESTS=OFF -DQUARROW_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quarrow_*.deb)
sudo="sudo "
if [ "$(id -u)" = 0 ]; then sudo=""; fi
echo "Built $deb. Install it with:"
echo "  ${sudo}apt-get install $deb"
