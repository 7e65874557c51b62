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

Value ConstructUnsetValue();
Value ValueFromString(RtString text);
Value ValueFromInteger(int32_t number);   // text in decimal (FromLong), real exact
Value ValueFromReal(double number);       // text with decimals digits, integer RealToInteger

// Copies integer, real, text and type, in that order.
void AssignValue(Value& target, Value source);

// A real truncated toward zero to 64 bits, of which the low 32 bits are kept (3000000000.0 gives
// -1294967296). Values that no 64-bit integer holds, and NaN, give 0.
int32_t RealToInteger(double number);

// Program thread: the first statement of every user procedure. Sets procedureArgumentCount to
// count and copies the count Value pointers that follow into argumentSlots 1, 2, ...; arguments
// beyond the last slot (31) are counted but not kept.
void StoreProcedureArguments(int32_t count, ...);
int32_t IntArgument(int32_t number);      // the integer of slot number; 0 outside 1..31

// Program thread: the stack on which a loop's condition is saved around the loop.
void PushValue(int32_t value);
void PopValue(int32_t* target);           // an empty stack leaves the target unchanged
