// Splitting the command line into words: plain text work on the line the system gives.
#include "values/command_line.h"

void SplitCommandLine(const char* text, std::vector<RtString>& words)
{
    ForEachCommandLineWord(text, [&words](const char* start, const char* end) {
        words.push_back(RtString::ConstructFromRange(start, 0, static_cast<uint32_t>(end - start)));
    });
}
