// RtString: the runtime's one string type. A byte count and an owned, zero-terminated heap
// block of length + 2 bytes. Every change allocates a fresh exact-size block and frees the old
// one; blocks are never shared. The count may include embedded zero bytes (AppendChar of 0).
//
// A block the heap cannot give is reported as error 211 through the values layer's error entry;
// when that returns (a silenced error), an operation on this string leaves it unchanged and a
// new string is the empty string.
#pragma once
#include <cstdint>

extern const char emptyText[1];

class RtString {
public:
    RtString();                                   // the empty string, with its own block
    RtString(const char* text);                   // ConstructFromText; null gives the empty string
    RtString(const RtString& other);              // CopyConstruct
    RtString(RtString&& other) noexcept;
    virtual ~RtString();                          // Destroy

    static RtString ConstructFromText(const char* text) { return RtString(text); }
    static RtString CopyConstruct(const RtString& other) { return RtString(other); }
    static RtString ConstructFromRange(const char* source, int32_t offset, uint32_t count);
    static RtString Repeat(char byte, uint64_t count);   // count copies of byte

    RtString& operator=(const RtString& other) { return AssignString(other); }
    RtString& operator=(RtString&& other) noexcept;
    RtString& operator=(const char* text) { return AssignText(text); }

    RtString& AssignText(const char* text);
    RtString& AssignString(const RtString& other);
    RtString& AppendString(const RtString& other);
    RtString& AppendText(const char* text);
    RtString& AppendChar(char ch);
    RtString Concat(const RtString& right) const;
    int32_t CompareText(const char* other) const;
    int32_t Equals(RtString other) const;
    RtString& ReplaceRange(uint32_t position, uint32_t count, const RtString& insert);

    // Number to text, padded on the left with blanks to the settings' minFieldWidth.
    static RtString FromInt(int32_t value);
    static RtString FromLong(int32_t value);
    static RtString FromReal(double value);       // decimals fraction digits, see FormatFixed

    const char* Text() const { return text ? text : emptyText; }
    uint32_t Length() const { return length; }

    // The fields are public: runtime code and tests reach into them as the string's contract
    // describes (an absent text only exists between a release and the next allocation).
    uint32_t length;
    char* text;

private:
    void TakeBlock(char* block, uint32_t newLength);
    void PadToFieldWidth();
};

// Fixed-point digits of the exact binary value of x, rounded half up on the digit string: the
// contract of the C runtime's _fcvt, without its buffer limit. Fills digits (no sign, no point),
// the position of the decimal point relative to the first digit, and the sign.
void FixedPointDigits(double x, int32_t decimals, RtString& digits, int32_t& pointPosition,
                      bool& negative);

// The fixed-point text of x with the given fraction digits (at most 1100, past every digit a
// double has) and separator, unpadded.
RtString FormatFixed(double x, int32_t decimals, const char* separator);
