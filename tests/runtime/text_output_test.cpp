// PrintText on the real runtime: where the text lands in the back buffer (read back from the
// memory device context), how the cursor moves, wraps and pads, the palette, and scrolling.
// Text is red (12) on cyan (13): a cell holding a character has red pixels, a printed blank
// only cyan, an untouched cell neither.
#include <string>
#include <vector>

#include "kernel/windowing.h"
#include "services/window_commands.h"
#include "support/runtime_test.h"
#include "windows/text_output.h"

namespace {

constexpr int32_t textRed = 12;
constexpr int32_t backCyan = 13;
constexpr int32_t fieldColumns = 80;

struct CellLook {
    int32_t column, row;
    char kind;
};

// On the GUI thread, which owns the back buffer and paints from it at any moment.
int32_t __cdecl LookAtCell(void* context)
{
    CellLook& cell = *static_cast<CellLook*>(context);
    bool red = false;
    bool cyan = false;
    for (int32_t y = cell.row * runtime.lineHeight; y < (cell.row + 1) * runtime.lineHeight; ++y) {
        for (int32_t x = cell.column * runtime.charWidth; x < (cell.column + 1) * runtime.charWidth; ++x) {
            COLORREF pixel = GetPixel(runtime.backBufferDc, x, y);
            red = red || pixel == TextPaletteColour(textRed);
            cyan = cyan || pixel == TextPaletteColour(backCyan);
        }
    }
    cell.kind = red ? 'X' : (cyan ? ' ' : '.');
    return 0;
}

// '.' untouched, ' ' a printed blank, 'X' a printed character.
char CellKind(int32_t column, int32_t row)
{
    CellLook cell{column, row, '?'};
    RunOnGuiThread(LookAtCell, &cell);
    return cell.kind;
}

// The cells from column on, with one untouched cell on either side where the line has room.
void ExpectCells(int32_t row, int32_t column, const std::string& cells, const char* name)
{
    std::string expected = cells;
    std::string seen;
    int32_t first = column > 0 ? column - 1 : column;
    if (column > 0)
        expected.insert(0, ".");
    expected += '.';
    for (int32_t c = first; c < first + static_cast<int32_t>(expected.size()); ++c)
        seen += CellKind(c, row);
    EXPECT_EQ(seen, expected) << name << ", row " << row;
}

void StartClean()
{
    ClearWindow(RGB(255, 255, 255));
    runtime.textColourIndex = textRed;
    runtime.textBackColourIndex = backCyan;
    runtime.printFieldWidth = 0;
    RECT client{};
    GetClientRect(runtime.mainWindow, &client);
    runtime.clientWidth = client.right;
    runtime.clientHeight = client.bottom;
}

struct RowCells {
    int32_t row;                 // relative to the starting row
    int32_t column;
    std::string cells;
};

struct PrintCase {
    const char* name;
    const char* text;
    int32_t lineEnd, wrap, pad, fieldWidth;
    int32_t widthInCells;        // the client width in cells; 0: narrower than one cell
    int32_t startColumn;
    int32_t endColumn, rowsDown;
    std::vector<RowCells> rows;
};

const std::vector<PrintCase> printCases = {
    {"broken at the right edge", "ABCDEFGHIJKL", 2, 1, 0, 0, fieldColumns, 75, 0, 2,
     {{0, 75, "XXXXX"}, {1, 0, "XXXXXXX"}}},
    {"line end 0 adds a blank", "AB", 0, 0, 0, 0, fieldColumns, 3, 6, 0, {{0, 3, "XX "}}},
    {"line end 1 stays behind the text", "AB", 1, 0, 0, 0, fieldColumns, 3, 5, 0, {{0, 3, "XX"}}},
    {"only CR and LF", "\r\n\r\n", 2, 1, 0, 0, fieldColumns, 4, 0, 1, {{0, 4, ""}}},
    {"padded to the field width", "42", 1, 0, 1, 8, fieldColumns, 0, 8, 0, {{0, 0, "      XX"}}},
    {"no padding without pad", "42", 1, 0, 0, 8, fieldColumns, 0, 2, 0, {{0, 0, "XX"}}},
    {"beyond the right edge never breaks", "ABC", 1, 1, 0, 0, fieldColumns, 85, 88, 0, {{0, 85, "XXX"}}},
    {"the rest is padded again", "ABCDEF", 1, 1, 1, 8, fieldColumns, 77, 8, 1,
     {{0, 77, "  X"}, {1, 0, "   XXXXX"}}},
    {"a field wider than the line pads a rest to the line", "42", 1, 1, 1, 99, fieldColumns, 0, fieldColumns, 1,
     {{0, 0, std::string(fieldColumns, ' ')}, {1, 0, std::string(fieldColumns - 2, ' ') + "XX"}}},
    {"a negative field width pads nothing", "42", 1, 0, 1, -5, fieldColumns, 0, 2, 0, {{0, 0, "XX"}}},
    {"a window narrower than a cell takes one character a line", "ABC", 1, 1, 0, 0, 0, 0, 1, 2,
     {{0, 0, "X"}, {1, 0, "X"}, {2, 0, "X"}}},
};

TEST(PrintText, CursorAndCells)
{
    const int32_t startRow = 1;
    for (const PrintCase& c : printCases) {
        StartClean();
        runtime.printFieldWidth = c.fieldWidth;
        runtime.clientWidth = c.widthInCells > 0 ? c.widthInCells * runtime.charWidth : runtime.charWidth - 1;
        runtime.textColumn = c.startColumn;
        runtime.textRow = startRow;
        PrintText(c.text, c.lineEnd, c.wrap, c.pad);
        EXPECT_EQ(runtime.textColumn, c.endColumn) << c.name;
        EXPECT_EQ(runtime.textRow, startRow + c.rowsDown) << c.name;
        for (const RowCells& row : c.rows)
            ExpectCells(startRow + row.row, row.column, row.cells, c.name);
    }
}

TEST(PrintText, PaletteOfTheBackground)
{
    const COLORREF palette[16] = {
        RGB(0, 0, 0),    RGB(0, 0, 136),   RGB(0, 136, 0),   RGB(136, 0, 136),
        RGB(136, 0, 0),  RGB(0, 136, 136), RGB(136, 136, 0), RGB(204, 204, 204),
        RGB(68, 68, 68), RGB(0, 0, 255),   RGB(0, 255, 0),   RGB(255, 0, 255),
        RGB(255, 0, 0),  RGB(0, 255, 255), RGB(255, 255, 0), RGB(255, 255, 255),
    };
    StartClean();
    for (int32_t index = 0; index < 16; ++index) {
        runtime.textBackColourIndex = index;
        PrintText(" ", 1, 0, 0);
        EXPECT_EQ(PixelOnGuiThread(runtime.backBufferDc, index * runtime.charWidth + runtime.charWidth / 2,
                           runtime.lineHeight / 2),
                  palette[index])
            << "index " << index;
    }
}

// Past the last visible line the window scrolls one line per call; the back buffer follows.
TEST(PrintText, ScrollsOneLinePerCall)
{
    StartClean();
    int32_t visible = runtime.clientHeight / runtime.lineHeight;
    ASSERT_GT(visible, 2);
    runtime.textRow = visible - 1;
    PrintText("M", 2, 0, 0);
    PrintText("S", 1, 0, 0);
    EXPECT_EQ(runtime.textRow, visible - 1);
    ExpectCells(visible - 2, 0, "X", "the line above moved up");
    int32_t columns = runtime.clientWidth / runtime.charWidth;
    std::string lastLine;
    for (int32_t column : {0, 1, columns - 1})
        lastLine += CellKind(column, visible - 1);
    EXPECT_EQ(lastLine, "X  ") << "the new last line is blanked to the right edge";

    StartClean();
    runtime.textRow = visible + 2;   // the window was made smaller
    for (int32_t expectedRow : {visible + 1, visible, visible - 1, visible - 1}) {
        PrintText("x", 1, 0, 0);
        EXPECT_EQ(runtime.textRow, expectedRow);
    }
}

}  // namespace

void PrepareRuntimeTests()
{
    SetMainWindowGeometry(0, 0, 760, 560);
    SetForegroundWindow(runtime.mainWindow);
}
