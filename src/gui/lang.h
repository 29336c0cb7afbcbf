// lang.h — the phrases of the menu, read from the file of the chosen language.
#pragma once

// Loads lang/<code>.txt into the phrase table.
void lang_init(const char *code);
// Phrase n; always a valid, possibly empty, string.
const char *lang_get(int n);
