// Values, the argument slots of user procedures, and the value stack.
#include "values/value.h"

#include <cmath>
#include <cstdarg>

#include "values/program_objects.h"

Value ConstructUnsetValue()
{
    return Value();
}

Value ValueFromString(RtString text)
{
    Value value;
    value.type = String;
    value.text = text;
    return value;
}

Value ValueFromInteger(int32_t number)
{
    Value value;
    value.type = Integer;
    value.text = RtString::FromLong(number);
    value.real = number;
    value.integer = number;
    return value;
}

Value ValueFromReal(double number)
{
    Value value;
    value.type = Real;
    value.text = RtString::FromReal(number);
    value.real = number;
    value.integer = RealToInteger(number);
    return value;
}

void AssignValue(Value& target, Value source)
{
    target.integer = source.integer;
    target.real = source.real;
    target.text.AssignString(source.text);
    target.type = source.type;
}

int32_t RealToInteger(double number)
{
    constexpr double twoTo63 = 9223372036854775808.0;
    double truncated = std::trunc(number);
    if (!(truncated >= -twoTo63 && truncated < twoTo63))   // also NaN
        return 0;
    uint64_t bits = static_cast<uint64_t>(static_cast<int64_t>(truncated));
    return static_cast<int32_t>(static_cast<uint32_t>(bits & 0xFFFFFFFFu));
}

void StoreProcedureArguments(int32_t count, ...)
{
    procedureArgumentCount = count;
    va_list arguments;
    va_start(arguments, count);
    for (int32_t slot = 1; slot <= count && slot < argumentSlotCount; ++slot)
        AssignValue(argumentSlots[slot], *va_arg(arguments, const Value*));
    va_end(arguments);
}

int32_t IntArgument(int32_t number)
{
    if (number < 1 || number >= argumentSlotCount)
        return 0;
    return argumentSlots[number].integer;
}

void PushValue(int32_t value)
{
    valueStack.push_back(value);
}

void PopValue(int32_t* target)
{
    if (valueStack.empty())
        return;
    *target = valueStack.back();
    valueStack.pop_back();
}
