// The filter list of a file dialog, built from the program's texts.
#pragma once
#include <string>

// The filter list's strings, each followed by a zero byte, and the zero byte of the empty
// string that ends the list; and the default extension, if there is one.
struct FileDialogFilter {
    std::string list;
    bool hasDefaultExtension;
    std::string defaultExtension;
};

// Save dialog: "*." and the text after the first dot of the file's name (the path's last part),
// which is also the default extension; "*.*" and an empty default extension without a dot.
FileDialogFilter SaveDialogFilter(const char* fileName);

// Open dialog: the pieces of "name|pattern|..." (split in place with strtok); a piece at an odd
// position that starts with "*" is listed twice, so a lone pattern names itself. No default
// extension.
FileDialogFilter OpenDialogFilter(char* filter);
