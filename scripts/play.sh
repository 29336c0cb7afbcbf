#!/usr/bin/env bash
# Builds Quarrow and starts it in build/run/, a folder git ignores: the game
# writes its settings ("cfg") and worlds (saves/) there.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" play
cmake -S "$top" -B "$top/build" -DQUARROW_TESTS=OFF -DQUARROW_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)"
run="$top/build/run"
mkdir -p "$run/saves"
# Fresh pictures and phrases each time; cfg and saves stay.
cp -r "$top/data/." "$run/"
cd "$run"
exec "$top/build/quarrow" "$@"
