// lineList and the operations the dialogs and the program use on it.
#include "windows/line_list.h"

#include <algorithm>
#include <string>

#include "kernel/runtime_state.h"

void ClearLines()
{
    if (runtime.lastLineIndex == -1)
        return;
    runtime.lineList.clear();
    runtime.lastLineIndex = -1;
}

void AppendLine(const RtString& text)
{
    runtime.lastLineIndex = static_cast<LONG>(runtime.lineList.size());
    runtime.lineList.push_back(text);
}

int FillEditFromLines(HWND edit)
{
    if (runtime.lastLineIndex == -1 || runtime.lineList.empty())
        return 0;
    std::string joined;
    for (const RtString& line : runtime.lineList) {
        joined.append(line.Text(), line.Length());
        joined.append("\r\n");
    }
    joined.resize(joined.size() - 2);
    std::replace(joined.begin(), joined.end(), '\0', ' ');   // the control's text would end there
    SetWindowTextA(edit, joined.c_str());
    return 1;
}
