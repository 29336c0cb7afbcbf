#!/usr/bin/env bash
# Builds Quarrow with its tests and runs every test. The tests start their own
# X server (Xvfb); no display of this machine is used.
# QUARROW_SANITIZE=1 builds in build-asan/ with AddressSanitizer and UBSan.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
flags="-DQUARROW_TESTS=ON -DQUARROW_BENCH=ON -DQUARROW_SANITIZE=OFF"
if [ "${QUARROW_SANITIZE:-0}" = 1 ]; then
  build="$top/build-asan"
  flags="-DQUARROW_TESTS=ON -DQUARROW_BENCH=OFF -DQUARROW_SANITIZE=ON"
fi
. "$top/scripts/build_dir.sh"
check_build_dir "$build"
"$top/scripts/deps.sh" test
# shellcheck disable=SC2086
cmake -S "$top" -B "$build" $flags >/dev/null
cmake --build "$build" -j"$(nproc)"
# The tests never use a display of the machine they run on.
unset DISPLAY
cd "$build"
ctest --output-on-failure -j2 "$@"
