// Value: the argument record of user procedures and the result of text-to-number conversion.
// The text, real and integer forms are always filled together.
#pragma once
#include <cstdint>

#include "values/rt_string.h"

enum ValueType : int32_t { Unset = 0, Integer = 1, Real = 2, String = 3 };

struct Value {
    int32_t type = Unset;
    RtString text;
    double real = 0.0;
    int32_t integer = 0;
};
