// The file dialogs' filter lists: plain text work, no dialog involved.
#include "values/file_dialog_filter.h"

#include <cstring>

namespace {

// The part of a path after its last folder separator.
const char* NameInPath(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at != 0; ++at) {
        if (*at == '\\' || *at == '/' || *at == ':')
            name = at + 1;
    }
    return name;
}

void AddFilterString(std::string& list, const char* text)
{
    list.append(text);
    list.push_back('\0');
}

}  // namespace

// Only the file's own name counts: a dot in a folder name would otherwise make the folder
// part of the pattern and the default extension.
FileDialogFilter SaveDialogFilter(const char* fileName)
{
    const char* dot = fileName != nullptr ? std::strchr(NameInPath(fileName), '.') : nullptr;
    FileDialogFilter filter{"", true, dot != nullptr ? dot + 1 : ""};
    AddFilterString(filter.list, ("*." + (dot != nullptr ? filter.defaultExtension : std::string("*"))).c_str());
    filter.list.push_back('\0');
    return filter;
}

FileDialogFilter OpenDialogFilter(char* filter)
{
    FileDialogFilter result{"", false, ""};
    int count = 0;
    char* piece = filter != nullptr ? std::strtok(filter, "|") : nullptr;
    for (; piece != nullptr; piece = std::strtok(nullptr, "|")) {
        ++count;
        AddFilterString(result.list, piece);
        if (count % 2 == 1 && piece[0] == '*')
            AddFilterString(result.list, piece);
    }
    result.list.push_back('\0');
    return result;
}
