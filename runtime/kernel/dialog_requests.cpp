// The dialog and menu requests. Each runs a modal loop of the system on the GUI thread while
// the program thread waits for the request.
#include "kernel/dialog_requests.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "kernel/runtime_state.h"
#include "kernel/system_libraries.h"
#include "values/file_dialog_filter.h"
#include "windows/modal_dialogs.h"

namespace {

constexpr DWORD openFileNameRecordSize = 76;   // the record without the later extension fields
static_assert(sizeof(OPENFILENAMEA) >= openFileNameRecordSize, "the record holds its first version");
constexpr int defaultListBoxKind = 7;

std::string ListBoxTemplateName(int32_t kind)
{
    int32_t digit = kind >= 1 && kind <= 8 ? kind : defaultListBoxKind;
    return "LISTBOX" + std::to_string(digit);
}

}  // namespace

void PopupMenuHandler(PopupMenuRequest& block)
{
    POINT point{block.x, block.y};
    ClientToScreen(runtime.mainWindow, &point);
    block.x = point.x;
    block.y = point.y;
    TrackPopupMenu(runtime.popupMenu, TPM_RIGHTBUTTON, point.x, point.y, 0, runtime.mainWindow, nullptr);
}

void FileDialogHandler(FileDialogRequest& block)
{
    if (block.fileName == nullptr)
        return;
    FileDialogFilter filter = block.save ? SaveDialogFilter(block.fileName) : OpenDialogFilter(block.filter);
    OPENFILENAMEA record{};
    record.lStructSize = openFileNameRecordSize;
    record.hwndOwner = runtime.mainWindow;
    record.hInstance = runtime.instanceHandle;
    record.lpstrFilter = filter.list.c_str();
    record.nFilterIndex = 1;
    record.lpstrFile = block.fileName;
    record.nMaxFile = fileNameCapacity;
    record.lpstrTitle = block.title;
    record.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    record.lpstrDefExt = filter.hasDefaultExtension ? filter.defaultExtension.c_str() : nullptr;
    auto show = SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", block.save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    BOOL chosen = show(&record);
    if (!chosen)
        block.fileName[0] = 0;
}

// A folder without a file-system path (the browser may still offer one) counts as no choice.
void FolderDialogHandler(FolderDialogRequest& block)
{
    if (block.path == nullptr)
        return;
    BROWSEINFOA browse{};
    browse.hwndOwner = runtime.mainWindow;
    browse.pszDisplayName = block.path;
    browse.lpszTitle = block.title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST folder = SystemFunction<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA")(&browse);
    bool chosen = folder != nullptr &&
                  SystemFunction<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA")(folder, block.path);
    if (folder != nullptr)
        SystemFunction<decltype(&CoTaskMemFree)>("ole32.dll", "CoTaskMemFree")(folder);
    if (!chosen)
        block.path[0] = 0;
    StoreInterlocked(runtime.dialogResult, chosen ? 1 : 0);
}

void EditBoxDialogHandler(EditBoxDialogRequest& block)
{
    const char* name = block.kind == 2 ? "EDITBOX2" : "EDITBOX1";
    block.result = static_cast<int32_t>(DialogBoxParamA(runtime.instanceHandle, name, runtime.mainWindow,
                                                        EditBoxDialogProcedure, reinterpret_cast<LPARAM>(&block)));
}

void ListBoxDialogHandler(ListBoxDialogRequest& block)
{
    DialogBoxParamA(runtime.instanceHandle, ListBoxTemplateName(block.kind).c_str(), runtime.mainWindow,
                    ListBoxDialogProcedure, reinterpret_cast<LPARAM>(&block));
}

void InputDialogHandler(InputDialogRequest& block)
{
    DialogBoxParamA(runtime.instanceHandle, "INPUT", runtime.mainWindow, InputDialogProcedure,
                    reinterpret_cast<LPARAM>(&block));
}

void FillListHandler(const FillListRequest& block)
{
    if (block.list == nullptr)
        return;
    for (const RtString& element : *block.list) {
        if (element.text == nullptr)
            break;
        SendMessageA(block.window, block.message, 0, reinterpret_cast<LPARAM>(element.text));
    }
}
