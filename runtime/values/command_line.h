// Splitting the command line into words.
#pragma once
#include <vector>

#include "values/rt_string.h"

// Calls word(start, end) for each token of text, in order. Only the blank (0x20) separates; a
// double quote opens a token that runs to the next double quote or the end; the character after
// a closing quote starts the next token. Quotes inside an unquoted token are ordinary characters.
// The text itself is not changed. The same rules split the ANSI and the wide command line.
template <typename Char, typename WordFunction>
void ForEachCommandLineWord(const Char* text, WordFunction word)
{
    if (text == nullptr)
        return;
    const Char* p = text;
    while (*p != 0) {
        while (*p == ' ')
            ++p;
        const Char* start;
        const Char* end;
        if (*p == '"') {
            start = ++p;
            while (*p != 0 && *p != '"')
                ++p;
            end = p;
            if (*p == '"')
                ++p;
        } else {
            if (*p == 0)
                break;
            start = p;
            while (*p != 0 && *p != ' ')
                ++p;
            end = p;
            if (*p == ' ')
                ++p;
        }
        word(start, end);
    }
}

// Appends one word per token of text, by the rules above.
void SplitCommandLine(const char* text, std::vector<RtString>& words);
