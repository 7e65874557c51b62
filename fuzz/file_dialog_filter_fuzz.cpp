// The file dialogs' filter lists for any text (the first byte chooses the save dialog when odd).
// Save: "*." and the text after the first dot of the name behind the last folder separator, also
// the default extension, or "*.*". Open: the non-empty pieces between "|", a piece at an odd
// count that starts with "*" twice. Each string ends with a zero byte, the list with one more.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_support.h"
#include "values/file_dialog_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool save = data[0] & 1;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text.resize(std::strlen(text.c_str()));

    if (save) {
        FileDialogFilter filter = SaveDialogFilter(text.c_str());
        size_t separator = text.find_last_of("\\/:");
        std::string name = separator == std::string::npos ? text : text.substr(separator + 1);
        size_t dot = name.find('.');
        std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
        FUZZ_CHECK(filter.hasDefaultExtension && filter.defaultExtension == extension);
        FUZZ_CHECK(filter.list == "*." + (dot == std::string::npos ? "*" : extension) + std::string(2, '\0'));
        return 0;
    }
    std::string expected;
    int count = 0;
    for (size_t from = 0; from <= text.size();) {
        size_t bar = std::min(text.find('|', from), text.size());
        std::string piece = text.substr(from, bar - from);
        from = bar + 1;
        if (piece.empty())
            continue;
        expected += piece + '\0';
        if (++count % 2 == 1 && piece[0] == '*')
            expected += piece + '\0';
    }
    expected += '\0';
    std::string buffer = text;
    FileDialogFilter filter = OpenDialogFilter(&buffer[0]);
    FUZZ_CHECK(!filter.hasDefaultExtension && filter.list == expected);
    return 0;
}
