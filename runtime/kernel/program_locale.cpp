// The program's locale: the C library's conventions for numbers and characters, and the values
// layer's settings that follow from them.
#include "kernel/program_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "kernel/runtime_state.h"
#include "values/value_settings.h"

int InitLocale()
{
    // "English" is this locale; its full name spares the library a search through every
    // locale the system knows (a few milliseconds of the start-up under Wine).
    if (std::setlocale(LC_ALL, "English_United States.1252") == nullptr)
        std::setlocale(LC_ALL, "English");
    ReadLocaleTables();   // the string functions' lower case and blanks under this locale
    const char* point = std::localeconv()->decimal_point;
    runtime.decimalSeparator = static_cast<char*>(std::calloc(8, 1));
    std::strncpy(runtime.decimalSeparator, point != nullptr && *point != 0 ? point : ".", 7);
    return 0;
}

int ReleaseLocale()
{
    std::free(runtime.decimalSeparator);
    runtime.decimalSeparator = nullptr;
    return 0;
}
