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

void lang_init(const char *code)
{
    char path[64];
    snprintf(path, sizeof path, "lang/%s.txt", code);
    FILE *f = fopen(path, "r");
    if (!f) {
        printf("fail not found %s", path);
        fflush(stdout);
        plat_pause();
        return;
    }
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
