#!/usr/bin/env bash
# Remakes the pictures and phrase files in data/ (they are committed, so
# playing needs none of this). Needs FreeType, pkg-config and the DejaVu fonts.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

have_all() {
  command -v pkg-config >/dev/null 2>&1 && pkg-config --exists freetype2 &&
    [ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ]
}
if ! have_all; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y libfreetype-dev fonts-dejavu-core pkg-config ||
      { apt-get update && apt-get install -y libfreetype-dev fonts-dejavu-core pkg-config; }
  else
    echo "Missing FreeType, pkg-config or the DejaVu fonts. Install them with:" >&2
    echo "sudo apt-get install libfreetype-dev fonts-dejavu-core pkg-config" >&2
    exit 1
  fi
fi

mkdir -p build data/world/standart data/lang
# shellcheck disable=SC2046  # pkg-config prints several words on purpose
g++ -std=c++17 -O2 -Wall -Wextra tools/make_data.cpp $(pkg-config --cflags --libs freetype2) -o build/make_data
build/make_data data
build/make_data --check data

# Phrase files: one phrase a line. The game draws one byte a glyph, so the
# Russian phrases are stored in Windows-1251.
cp tools/lang/eng.txt data/lang/eng.txt
iconv -f UTF-8 -t CP1251 tools/lang/rus.utf8.txt > data/lang/rus.txt
for f in data/lang/eng.txt data/lang/rus.txt; do
  lines=$(wc -l < "$f")
  longest=$(LC_ALL=C awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }' "$f")
  if [ "$lines" != 47 ] || [ "$longest" -ge 60 ] || [ -n "$(tail -c 1 "$f")" ]; then
    echo "$f: want 47 lines under 60 bytes, each ending in a line feed" >&2
    exit 1
  fi
done
echo "data/ remade"
