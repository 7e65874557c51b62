// PrintText: the drawing runs on the GUI thread, which owns the main window's device context
// and the back buffer: a device context that one thread is using (the GUI thread painting from
// the back buffer) refuses another thread's drawing. The text cursor is a pair of plain fields.
#include "windows/text_output.h"

#include <algorithm>
#include <cstdint>

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"
#include "services/window_commands.h"
#include "values/string_functions.h"

namespace {

constexpr int textBackgroundMode = OPAQUE;
constexpr UINT textAlignment = TA_LEFT | TA_TOP;

// Magenta comes before cyan in both halves.
constexpr COLORREF textPalette[16] = {
    RGB(0, 0, 0),       RGB(0, 0, 136),   RGB(0, 136, 0),   RGB(136, 0, 136),
    RGB(136, 0, 0),     RGB(0, 136, 136), RGB(136, 136, 0), RGB(204, 204, 204),
    RGB(68, 68, 68),    RGB(0, 0, 255),   RGB(0, 255, 0),   RGB(255, 0, 255),
    RGB(255, 0, 0),     RGB(0, 255, 255), RGB(255, 255, 0), RGB(255, 255, 255),
};

// The part of the text still to print: `blanks` padding blanks followed by the characters of
// `text` from `offset` on. A broken line leaves its rest here, so that a long text is printed
// line by line without copying what remains each time.
struct PendingText {
    const RtString& text;
    uint32_t offset;
    uint32_t blanks;

    uint32_t Length() const { return blanks + (text.Length() - offset); }

    // The first count characters, taken off the front.
    RtString Take(uint32_t count)
    {
        uint32_t fromBlanks = count < blanks ? count : blanks;
        RtString piece = MakeBlanks(static_cast<int32_t>(fromBlanks));
        uint32_t fromText = count - fromBlanks;
        piece.AppendString(RtString::ConstructFromRange(text.Text(), static_cast<int32_t>(offset), fromText));
        blanks -= fromBlanks;
        offset += fromText;
        return piece;
    }
};

int32_t AtLeastOne(int32_t value)
{
    return value > 0 ? value : 1;
}

void PrepareDc(HDC dc)
{
    SelectObject(dc, runtime.textFont);
    SetBkMode(dc, textBackgroundMode);
    SetTextAlign(dc, textAlignment);
    SetTextColor(dc, TextPaletteColour(runtime.textColourIndex));
    SetBkColor(dc, TextPaletteColour(runtime.textBackColourIndex));
}

// Nothing is drawn where the cursor's pixel position is beyond a 32-bit coordinate (a column near
// 2^31): it could not show, and the position would wrap round to the left edge.
void DrawAtCursor(HDC dc, const RtString& s)
{
    int64_t x = static_cast<int64_t>(runtime.textColumn) * runtime.charWidth;
    int64_t y = static_cast<int64_t>(runtime.textRow) * runtime.lineHeight;
    if (x <= INT32_MAX && y <= INT32_MAX)
        TextOutA(dc, static_cast<int>(x), static_cast<int>(y), s.Text(), static_cast<int>(s.Length()));
}

// The contents and child windows move up one line; the last line is blanked from the cursor
// on, and the back buffer takes the scrolled picture.
void ScrollOneLine(int32_t columns)
{
    HWND window = runtime.mainWindow;
    RECT client{};
    GetClientRect(window, &client);
    ScrollWindowEx(window, 0, -runtime.lineHeight, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
    --runtime.textRow;
    DrawAtCursor(runtime.windowDc, MakeBlanks(columns + 1));
    BitBlt(runtime.backBufferDc, 0, 0, client.right - client.left, client.bottom - client.top, runtime.windowDc, 0, 0,
           SRCCOPY);
}

// The width a piece is padded to: the field width for the text, and for the rest of a broken
// text no more than a line, so that the rest of a field wider than the line still gets shorter
// with every line. A negative field width pads nothing.
uint32_t PaddingWidth(bool rest, int32_t columns)
{
    int32_t width = runtime.printFieldWidth;
    if (rest && width > columns)
        width = columns;
    return width > 0 ? static_cast<uint32_t>(width) : 0;
}

// Padding of more than a window of lines only scrolls blank lines through the window: whole lines
// of it are left out, which leaves the same picture and the same cursor. A field width near 2^31
// would otherwise keep the GUI thread printing blank lines for hours.
void LeaveOutWholeBlankLines(PendingText& pending, int32_t columns)
{
    int32_t rows = runtime.clientHeight / AtLeastOne(runtime.lineHeight);
    uint64_t line = static_cast<uint64_t>(AtLeastOne(columns));
    uint64_t window = static_cast<uint64_t>((rows > 0 ? rows : 0) + 2) * line;
    if (pending.blanks > window)
        pending.blanks = static_cast<uint32_t>(window + (pending.blanks - window) % line);
}

// The cells from the cursor to the right edge of the window or of the back buffer (the screen's
// size), whichever lies further right, with the cell that the edge cuts. A piece that does not
// break is made only as long as that: the rest would be clipped. A field width of 2^31 would
// otherwise have two billion blanks made for nothing, more than the memory holds.
uint32_t CellsThatCanShow()
{
    int64_t width = std::max<int64_t>(runtime.clientWidth, runtime.screenWidth);
    int64_t cells = width / AtLeastOne(runtime.charWidth) + 1 - runtime.textColumn;
    return static_cast<uint32_t>(std::max<int64_t>(cells, 0));
}

// One line's piece of the pending text, with the device contexts prepared. Returns true when
// the text was broken at the right edge and a rest remains. The cursor column stops at 2^31 - 1.
bool PrintPiece(PendingText& pending, int32_t lineEnd, bool wrap, bool pad, bool rest)
{
    int32_t columns = runtime.clientWidth / AtLeastOne(runtime.charWidth);
    uint32_t fieldWidth = PaddingWidth(rest, columns);
    if (pad && pending.Length() < fieldWidth)
        pending.blanks += fieldWidth - pending.Length();
    if (wrap)
        LeaveOutWholeBlankLines(pending, columns);

    int32_t room = columns - runtime.textColumn;
    // Compared unsigned: a cursor beyond the right edge (negative room) never breaks.
    bool broken = wrap && pending.Length() > static_cast<uint32_t>(room);
    uint32_t count = pending.Length();
    if (broken) {
        count = static_cast<uint32_t>(room);
        if (count == 0 && runtime.textColumn == 0)
            count = 1;   // a window narrower than one cell still takes a character per line
    }
    RtString s = pending.Take(std::min(count, CellsThatCanShow()));
    broken = broken && pending.Length() != 0;
    if (lineEnd == 0)
        s.AppendChar(' ');

    if (runtime.textRow >= runtime.clientHeight / AtLeastOne(runtime.lineHeight))
        ScrollOneLine(columns);
    DrawAtCursor(runtime.windowDc, s);
    DrawAtCursor(runtime.backBufferDc, s);

    if (lineEnd == 2 || broken) {
        runtime.textColumn = 0;
        ++runtime.textRow;
    } else {
        int64_t column = static_cast<int64_t>(runtime.textColumn) + count + (lineEnd == 0 ? 1 : 0);
        runtime.textColumn = static_cast<LONG>(std::min<int64_t>(column, INT32_MAX));
    }
    return broken;
}

struct PrintJob {
    const RtString* text;
    int32_t lineEnd, wrap, pad;
};

void PrintOnThisThread(const RtString& text, int32_t lineEnd, int32_t wrap, int32_t pad)
{
    RtString cleaned = ReplaceAll(ReplaceAll(text, "\n", ""), "\r", "");
    PendingText pending{cleaned, 0, 0};
    bool broken = false;
    bool rest = false;
    do {
        int windowState = SaveDC(runtime.windowDc);
        int bufferState = SaveDC(runtime.backBufferDc);
        PrepareDc(runtime.windowDc);
        PrepareDc(runtime.backBufferDc);
        broken = PrintPiece(pending, lineEnd, wrap != 0, pad != 0, rest);
        rest = true;
        RestoreDC(runtime.windowDc, windowState);
        RestoreDC(runtime.backBufferDc, bufferState);
    } while (broken);
}

int32_t __cdecl PrintOnGuiThread(void* context)
{
    const PrintJob* job = static_cast<const PrintJob*>(context);
    PrintOnThisThread(*job->text, job->lineEnd, job->wrap, job->pad);
    return 0;
}

}  // namespace

COLORREF TextPaletteColour(int32_t index)
{
    return textPalette[index & 15];
}

void PrintText(RtString text, int32_t lineEnd, int32_t wrap, int32_t pad)
{
    if (runtime.mainWindow == nullptr)
        ClearWindowToSystemColor();
    PrintJob job{&text, lineEnd, wrap, pad};
    RunOnGuiThread(PrintOnGuiThread, &job);
}
