#include "values/string_functions.h"

#include <string>

RtString MakeBlanks(int32_t count)
{
    if (count <= 0)
        return RtString(emptyText);
    std::string blanks(static_cast<size_t>(count), ' ');
    return RtString::ConstructFromRange(blanks.data(), 0, static_cast<uint32_t>(count));
}
