// lang.cpp — stand-in until the phrase table lands: every phrase is empty.
#include "gui/lang.h"

void lang_init(const char *code)
{
    (void)code;
}

const char *lang_get(int n)
{
    (void)n;
    return "";
}
