// Splitting the command line into words: plain text work on the line the system gives.
#include "values/command_line.h"

void SplitCommandLine(const char* text, std::vector<RtString>& words)
{
    if (text == nullptr)
        return;
    const char* p = text;
    while (*p != 0) {
        while (*p == ' ')
            ++p;
        const char* start;
        const char* end;
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
        words.push_back(RtString::ConstructFromRange(start, 0, static_cast<uint32_t>(end - start)));
    }
}
