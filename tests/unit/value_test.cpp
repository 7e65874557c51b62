#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kernel/runtime_state.h"
#include "values/program_objects.h"
#include "values/value.h"
#include "number_settings.h"

namespace {

class Values : public NumberSettings {
protected:
    void SetUp() override
    {
        NumberSettings::SetUp();
        for (Value& slot : argumentSlots)
            AssignValue(slot, ConstructUnsetValue());
        procedureArgumentCount = -7;
    }
};

void ExpectValue(const Value& v, int32_t type, const char* text, double real, int32_t integer)
{
    EXPECT_EQ(v.type, type);
    EXPECT_STREQ(v.text.Text(), text);
    EXPECT_DOUBLE_EQ(v.real, real);
    EXPECT_EQ(v.integer, integer);
}

TEST_F(Values, ConstructorsFillAllFourFields)
{
    ExpectValue(ConstructUnsetValue(), Unset, "", 0.0, 0);
    ExpectValue(ValueFromString(RtString("12")), String, "12", 0.0, 0);
    ExpectValue(ValueFromInteger(1), Integer, "1", 1.0, 1);
    ExpectValue(ValueFromInteger(INT32_MIN), Integer, "-2147483648", -2147483648.0, INT32_MIN);
    ExpectValue(ValueFromReal(2.5), Real, "2.500000", 2.5, 2);
    ExpectValue(ValueFromReal(3000000000.0), Real, "3000000000.000000", 3000000000.0, -1294967296);
}

TEST_F(Values, RealToIntegerKeepsTheLow32BitsOfTheTruncation)
{
    const std::pair<double, int32_t> cases[] = {
        {-2.7, -2}, {2.9999, 2}, {-0.5, 0}, {2147483647.9, INT32_MAX}, {2147483648.0, INT32_MIN},
        {4294967297.0, 1}, {-4294967297.0, -1}, {9007199254740993.0, 0},
        {-9223372036854775808.0, 0}, {1e19, 0}, {-1e300, 0},
        {std::numeric_limits<double>::infinity(), 0}, {std::nan(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RealToInteger(c.first), c.second) << c.first;
}

TEST_F(Values, AssignValueReplacesEveryField)
{
    Value slot = ValueFromInteger(5);
    AssignValue(slot, ValueFromString(RtString("abc")));
    ExpectValue(slot, String, "abc", 0.0, 0);
    AssignValue(slot, slot);
    ExpectValue(slot, String, "abc", 0.0, 0);
}

TEST_F(Values, StoreProcedureArgumentsCopiesIntoSlotsFromOne)
{
    Value one = ValueFromInteger(1);
    Value text = ValueFromString(RtString("t"));
    StoreProcedureArguments(2, &one, &text);
    EXPECT_EQ(procedureArgumentCount, 2);
    EXPECT_EQ(IntArgument(1), 1);
    ExpectValue(argumentSlots[2], String, "t", 0.0, 0);
    ExpectValue(argumentSlots[0], Unset, "", 0.0, 0);

    one.integer = 99;
    EXPECT_EQ(IntArgument(1), 1) << "the slot holds a copy";

    StoreProcedureArguments(0);
    EXPECT_EQ(procedureArgumentCount, 0);
    EXPECT_EQ(IntArgument(1), 1) << "slots beyond the count keep what was there";
    StoreProcedureArguments(-3);
    EXPECT_EQ(procedureArgumentCount, -3);
    EXPECT_EQ(IntArgument(2), 0);
}

TEST_F(Values, ArgumentsBeyondTheLastSlotAreCountedButNotKept)
{
    Value v[33];
    for (int i = 0; i < 33; ++i)
        v[i] = ValueFromInteger(i + 1);
    StoreProcedureArguments(33, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9],
                            &v[10], &v[11], &v[12], &v[13], &v[14], &v[15], &v[16], &v[17], &v[18], &v[19],
                            &v[20], &v[21], &v[22], &v[23], &v[24], &v[25], &v[26], &v[27], &v[28], &v[29],
                            &v[30], &v[31], &v[32]);
    EXPECT_EQ(procedureArgumentCount, 33);
    EXPECT_EQ(IntArgument(31), 31);
    for (int32_t outside : {0, 32, 33, -1, INT32_MAX})
        EXPECT_EQ(IntArgument(outside), 0) << outside;
    EXPECT_EQ(argumentSlots[0].type, Unset);
}

TEST(ValueStack, LastInFirstOut)
{
    ASSERT_TRUE(valueStack.empty());
    int32_t target = -5;
    PopValue(&target);
    EXPECT_EQ(target, -5) << "an empty stack leaves the target alone";

    for (int32_t value : {1, 2, 3})
        PushValue(value);
    for (int32_t expected : {3, 2, 1}) {
        PopValue(&target);
        EXPECT_EQ(target, expected);
    }
    PopValue(&target);
    EXPECT_EQ(target, 1);

    for (int32_t i = 0; i < 2000; ++i)
        PushValue(i * 7 - 3000);
    bool inOrder = true;
    for (int32_t i = 1999; i >= 0; --i) {
        PopValue(&target);
        inOrder = inOrder && target == i * 7 - 3000;
    }
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(valueStack.empty());
}

}  // namespace
