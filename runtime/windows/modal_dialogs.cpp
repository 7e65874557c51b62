// The runtime's modal dialogs "INPUT", "EDITBOX1" and "EDITBOX2", "LISTBOX1" to "LISTBOX8". They
// run inside the request that opened them, while the program thread waits for it, so the block
// and lineList are touched by one thread at a time.
#include "windows/modal_dialogs.h"

#include <algorithm>
#include <vector>

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"
#include "windows/input_reports.h"
#include "windows/line_list.h"

namespace {

constexpr int promptId = 100;
constexpr int editId = 101;
constexpr int listBoxId = 101;
constexpr int copyId = 102;
constexpr int cutId = 103;
constexpr int pasteId = 104;
constexpr UINT applyFrameChange = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;
constexpr double extentAllowance = 1.125;   // room beyond the widest item's measured width

// The open dialog of each kind (each is modal and opened only by its request: one at a time).
InputDialogRequest* inputBlock;
HWND inputEdit;
HWND editBoxEdit;
ListBoxDialogRequest* listBoxBlock;
HWND listBox;

// A zero-filled block of the process heap that the requester frees: the empty text until
// something is written into it.
char* NewTextBlock(size_t size)
{
    return static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
}

void ReportDialogResult(LONG result)
{
    StoreInterlocked(runtime.dialogResult, result);
}

INT_PTR OnInputInit(HWND dialog, InputDialogRequest* block)
{
    if (block == nullptr)
        return FALSE;
    inputBlock = block;
    inputEdit = GetDlgItem(dialog, editId);
    SetWindowTextA(dialog, block->title);
    SetDlgItemTextA(dialog, promptId, block->prompt);
    SetWindowTextA(inputEdit, block->text);
    return TRUE;
}

void OnInputCommand(HWND dialog, WPARAM wParam)
{
    WORD id = LOWORD(wParam);
    if (id == IDOK) {
        int length = GetWindowTextLengthA(inputEdit);
        char* text = NewTextBlock(length + 4);
        if (text != nullptr)
            GetWindowTextA(inputEdit, text, length + 2);
        inputBlock->text = text;
        ReportDialogResult(1);
        EndDialog(dialog, 0);
    } else if (id == IDCANCEL) {
        inputBlock->text = NewTextBlock(2);
        ReportDialogResult(2);
        EndDialog(dialog, 0);
    }
}

INT_PTR OnEditBoxInit(HWND dialog, const EditBoxDialogRequest* block)
{
    if (block == nullptr)
        return FALSE;
    editBoxEdit = GetDlgItem(dialog, editId);
    SetWindowTextA(dialog, block->title);
    FillEditFromLines(editBoxEdit);
    return TRUE;
}

// lineList becomes the edit control's lines, each without its line break. The control ends a line
// at CR LF, and at CR CR LF (the break it writes itself where it wraps a line, when asked to show
// those); an empty control has one empty line. The lines are cut out of the whole text in one pass:
// asking the control for each line's start and length walks its list of lines every time, which
// made a long text take hours, and EM_GETLINE's capacity of 16 bits would cut longer lines.
void TakeLinesFromEdit(HWND edit)
{
    ClearLines();
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1);
    size_t length = static_cast<size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size())));
    size_t start = 0;
    for (size_t i = 0; i + 1 < length; ++i) {
        if (text[i] != '\r' || text[i + 1] != '\n')
            continue;
        size_t end = i > start && text[i - 1] == '\r' ? i - 1 : i;
        AppendLine(RtString::ConstructFromRange(text.data(), static_cast<int32_t>(start), static_cast<uint32_t>(end - start)));
        start = ++i + 1;
    }
    AppendLine(RtString::ConstructFromRange(text.data(), static_cast<int32_t>(start), static_cast<uint32_t>(length - start)));
}

void OnEditBoxCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK: TakeLinesFromEdit(editBoxEdit); EndDialog(dialog, 1); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    case copyId: SendMessageA(editBoxEdit, WM_COPY, 0, 0); break;
    case cutId: SendMessageA(editBoxEdit, WM_CUT, 0, 0); break;
    case pasteId: SendMessageA(editBoxEdit, WM_PASTE, 0, 0); break;
    default: break;
    }
}

// The list box scrolls sideways as far as its widest item needs; the item with the most
// characters (the first of equals) is measured in the list box's font.
void SetHorizontalExtentFor(int index)
{
    LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, index, 0);
    if (length < 0)
        return;
    std::vector<char> text(length + 1);
    SendMessageA(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    HDC dc = GetDC(listBox);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(listBox, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(length), &size);
    if (oldFont != nullptr)
        SelectObject(dc, oldFont);
    ReleaseDC(listBox, dc);
    SendMessageA(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(size.cx * extentAllowance), 0);
}

void FillListBoxFromLines()
{
    uint32_t longest = 0;
    int longestIndex = 0;
    int index = 0;
    for (const RtString& line : runtime.lineList) {
        if (line.Length() > longest) {
            longest = line.Length();
            longestIndex = index;
        }
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.Text()));
        ++index;
    }
    SetHorizontalExtentFor(longestIndex);
}

INT_PTR OnListBoxInit(HWND dialog, ListBoxDialogRequest* block)
{
    if (block == nullptr)
        return FALSE;
    listBoxBlock = block;
    listBox = GetDlgItem(dialog, listBoxId);
    SetWindowTextA(dialog, block->title);
    SetWindowLongA(listBox, GWL_STYLE, GetWindowLongA(listBox, GWL_STYLE) | WS_HSCROLL);
    SetWindowPos(listBox, nullptr, 0, 0, 0, 0, applyFrameChange);
    if (!runtime.lineList.empty())
        FillListBoxFromLines();
    return TRUE;
}

// The selected item's text, or the empty text when nothing is selected.
char* SelectedItemText()
{
    LRESULT index = SendMessageA(listBox, LB_GETCURSEL, 0, 0);
    LRESULT length = index == LB_ERR ? 0 : std::max<LRESULT>(SendMessageA(listBox, LB_GETTEXTLEN, index, 0), 0);
    char* text = NewTextBlock(length + 4);
    if (text != nullptr && index != LB_ERR)
        SendMessageA(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void OnListBoxCommand(HWND dialog, WPARAM wParam)
{
    WORD id = LOWORD(wParam);
    if (id == IDOK) {
        listBoxBlock->selection = SelectedItemText();
        ReportDialogResult(1);
        EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        listBoxBlock->selection = NewTextBlock(4);
        ReportDialogResult(2);
        EndDialog(dialog, 0);
    }
    if (HIWORD(wParam) == LBN_DBLCLK)
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

INT_PTR CALLBACK InputDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInputInit(dialog, InitBlockOf<InputDialogRequest>(dialog, lParam));
    case WM_COMMAND: OnInputCommand(dialog, wParam); return 0;
    default: return 0;
    }
}

INT_PTR CALLBACK EditBoxDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnEditBoxInit(dialog, InitBlockOf<const EditBoxDialogRequest>(dialog, lParam));
    case WM_COMMAND: OnEditBoxCommand(dialog, wParam); return 0;
    default: return 0;
    }
}

INT_PTR CALLBACK ListBoxDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnListBoxInit(dialog, InitBlockOf<ListBoxDialogRequest>(dialog, lParam));
    case WM_COMMAND: OnListBoxCommand(dialog, wParam); return 0;
    default: return 0;
    }
}
