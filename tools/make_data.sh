#!/usr/bin/env bash
# Remakes the pictures and phrase files in data/ (they are committed, so
# playing needs none of this). Needs FreeType and the DejaVu fonts.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

missing=""
for p in libfreetype-dev fonts-dejavu-core pkg-config; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y -qq $missing
  else
    echo "Install first:  sudo apt-get install -y$missing" >&2
    exit 1
  fi
fi
mkdir -p "$top/build" "$top/data/world/standart" "$top/data/lang"
g++ -std=c++17 -O2 -Wall -Wextra "$top/tools/make_data.cpp" $(pkg-config --cflags --libs freetype2) -o "$top/build/make_data"
"$top/build/make_data" "$top/data"
cp "$top/tools/lang/eng.txt" "$top/data/lang/eng.txt"
# The game draws one byte a glyph: Russian phrases are stored in Windows-1251.
iconv -f UTF-8 -t CP1251 "$top/tools/lang/rus.utf8.txt" > "$top/data/lang/rus.txt"
echo "data/ remade"
