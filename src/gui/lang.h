// lang.h — the phrases of the menu, read from the file of the chosen language:
// line n of lang/<code>.txt is phrase n.
#pragma once

constexpr int PHRASES = 256;        // phrase 0 is never filled
constexpr int PHRASE_BYTES = 128;   // 127 characters and the NUL

extern char frazes[PHRASES][PHRASE_BYTES];

// The notices added after the menu's own phrases, in both phrase files.
enum {
    PHRASE_NAME_TAKEN = 30,
    PHRASE_NO_FOLDER = 31,
    PHRASE_NAME_UNUSABLE = 32,
    PHRASE_SAVING_FAILS = 33,
    PHRASE_INVENTORY = 34,
    PHRASE_INVENTORY_CLOSE = 35,
    PHRASE_RESUME = 36,
    PHRASE_TO_TITLE = 37,
    PHRASE_QUIT_GAME = 38,
    PHRASE_MOUSE_SPEED = 39,
    PHRASE_VERTICAL_LOOK = 40,
    PHRASE_LOOK_NORMAL = 41,
    PHRASE_LOOK_INVERTED = 42,
    PHRASE_FIELD_OF_VIEW = 43,
    PHRASE_DISPLAY = 44,
    PHRASE_WINDOWED = 45,
    PHRASE_FULL_SCREEN = 46,
    PHRASE_BUILT_WITH = 47,
};

// Loads lang/<code>.txt into the phrase table; phrases past its last line keep
// what they held.
void lang_init(const char *code);
// Phrase n; always a valid, possibly empty, string.
const char *lang_get(int n);
