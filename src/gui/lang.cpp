// lang.cpp — the phrase table.
#include "gui/lang.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

char frazes[PHRASES][PHRASE_BYTES];

// Skips what is left of a line too long for its phrase, so the next line
// still gets the next number.
static void skip_rest_of_line(FILE *f)
{
    int c;
    do
        c = fgetc(f);
    while (c != '\n' && c != EOF);
}

// Reads one line into phrase; 0 at the end of the file.
static int read_phrase(FILE *f, char *phrase)
{
    if (!fgets(phrase, PHRASE_BYTES, f))
        return 0;
    size_t len = strlen(phrase);
    if (len > 0 && phrase[len - 1] == '\n')
        phrase[--len] = '\0';
    else if (len == PHRASE_BYTES - 1)
        skip_rest_of_line(f);
    // Files written on Windows end their lines with CR LF.
    if (len > 0 && phrase[len - 1] == '\r')
        phrase[--len] = '\0';
    return 1;
}

static FILE *open_phrases(const char *code, char *path, int size)
{
    snprintf(path, (size_t)size, "lang/%s.txt", code);
    // Only a regular file: a FIFO there would hold the game before its window.
    return plat_open_regular(path);
}

// The phrase file of code, or else of the first other language that has one,
// so the menu never shows blank captions; nullptr when there is none at all.
static FILE *open_some_phrases(const char *code)
{
    static const char *const LANGUAGES[] = {"rus", "eng"};
    char path[64], other[64];
    FILE *f = open_phrases(code, path, sizeof path);
    for (int i = 0; !f && i < 2; i++) {
        if (strcmp(code, LANGUAGES[i]) == 0)
            continue;
        f = open_phrases(LANGUAGES[i], other, sizeof other);
        if (f)
            printf("fail not found %s, %s used instead \n", path, other);
    }
    if (!f) {
        printf("fail not found %s", path);
        fflush(stdout);
        plat_pause();
    }
    return f;
}

void lang_init(const char *code)
{
    FILE *f = open_some_phrases(code);
    if (!f)
        return;
    for (int n = 1; n < PHRASES && read_phrase(f, frazes[n]); n++)
        ;
    fclose(f);
}

const char *lang_get(int n)
{
    if (n < 0 || n >= PHRASES)
        return "";
    return frazes[n];
}
