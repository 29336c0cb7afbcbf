#!/usr/bin/env bash
# Builds Quarrow and starts it in build/run/, a folder git ignores: the game
# writes its settings ("cfg") there, and its worlds (saves/) once one is made.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
# freeglut alone would only say "failed to open display", after the build.
if [ -z "${DISPLAY:-}" ]; then
  echo "Quarrow opens a window and needs an X session (DISPLAY is not set): run it from a terminal of your desktop." >&2
  exit 1
fi
. "$top/scripts/build_dir.sh"
check_build_dir "$top/build"
"$top/scripts/deps.sh" play
cmake -S "$top" -B "$top/build" -DQUARROW_TESTS=OFF -DQUARROW_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)"
run="$top/build/run"
mkdir -p "$run"
# Fresh pictures and phrases each time; cfg and saves stay.
cp -r "$top/data/." "$run/"
cd "$run"
exec "$top/build/quarrow" "$@"
