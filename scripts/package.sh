#!/usr/bin/env bash
# Builds the Debian package of Quarrow in build-package/ and names the command
# that installs it.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-package"
. "$top/scripts/build_dir.sh"
check_build_dir "$build"
"$top/scripts/deps.sh" package
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARROW_TESTS=OFF -DQUARROW_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quarrow_*.deb)
echo "Built $deb. Install it with:"
echo "  sudo apt-get install $deb"
