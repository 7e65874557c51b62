#include "values/value_settings.h"

ValueSettings valueSettings{6, 0, nullptr, nullptr};

void ReportValueError(int32_t code)
{
    if (valueSettings.reportError != nullptr)
        valueSettings.reportError(code, nullptr);
}
