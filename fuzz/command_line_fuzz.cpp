// SplitCommandLine on any line: the line stays as it was, every word is a piece of it with only
// blanks and quotes between, and the words written back as a line (quoted unless they hold a
// quote) split into the same words.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "values/command_line.h"

namespace {

std::vector<std::string> Split(const std::string& line)
{
    std::vector<RtString> words;
    SplitCommandLine(line.c_str(), words);
    std::vector<std::string> texts;
    for (const RtString& word : words)
        texts.push_back(Bytes(word));
    return texts;
}

bool OnlyBlanksAndQuotes(const std::string& line, size_t from, size_t to)
{
    return line.find_first_not_of(" \"", from) >= to;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    line.resize(std::strlen(line.c_str()));   // the system's command line is a zero-terminated text
    const std::string original = line;
    const std::vector<std::string> words = Split(line);
    FUZZ_CHECK(line == original);

    std::string joined;
    size_t at = 0;
    for (const std::string& word : words) {
        size_t found = line.find(word, at);
        FUZZ_CHECK(found != std::string::npos && OnlyBlanksAndQuotes(line, at, found));
        at = found + word.size();
        // A quoted word holds no quote; an unquoted one holds no blank and does not start with a quote.
        bool bare = word.find('"') != std::string::npos;
        FUZZ_CHECK(!bare || (word.find(' ') == std::string::npos && word[0] != '"'));
        joined += (joined.empty() ? "" : " ") + (bare ? word : '"' + word + '"');
    }
    FUZZ_CHECK(OnlyBlanksAndQuotes(line, at, line.size()));
    FUZZ_CHECK(Split(joined) == words);
    return 0;
}
