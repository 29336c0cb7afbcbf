// names.h — world names between the two encodings they meet: the menu's
// bitmap font draws CP1251 bytes, while folder names on disk are UTF-8.
#pragma once

// The CP1251 byte with no character; never typed into a name.
constexpr int CP1251_UNUSED = 0x98;

// CP1251 text as UTF-8, cut at a whole character to fit size; bytes in out.
int name_to_disk(const char *cp1251, char *out, int size);
// A folder name as the font draws it. Valid UTF-8 is converted, characters
// outside CP1251 becoming '?'; any other name (an older CP1251 folder) is
// copied as it is. Control bytes become '?'. Cut to fit size.
void name_to_font(const char *disk, char *out, int size);
