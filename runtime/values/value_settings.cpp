#include "values/value_settings.h"

#include <cctype>

ValueSettings valueSettings{6, 0, nullptr, nullptr};

void ReportValueError(int32_t code)
{
    if (valueSettings.reportError != nullptr)
        valueSettings.reportError(code, nullptr);
}

void ReadLocaleTables()
{
    for (int byte = 0; byte < 256; ++byte) {
        valueSettings.lowerCase[byte] = static_cast<uint8_t>(std::tolower(byte));
        valueSettings.blank[byte] = std::isspace(byte) != 0;
    }
}
