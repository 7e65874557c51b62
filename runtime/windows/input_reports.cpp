#include "windows/input_reports.h"

#include <cstdint>
#include <cstdlib>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

namespace {

constexpr int hotItemChange = -1249;      // BCN_HOTITEMCHANGE
constexpr int tabSelectionChange = -551;  // TCN_SELCHANGE

// Notifications of list views, headers, tree views, tooltips, custom draw, up-down, date and
// time and the other common controls; the tab control's and the generic ones are not among them.
bool IsCommonControlNotification(int code)
{
    return code <= -553 || (code >= -549 && code <= -11);
}

// Committed memory of this process that may be read, size bytes from address on.
bool Readable(LPARAM address, size_t size)
{
    for (auto at = static_cast<ULONG_PTR>(address), end = at + size; at < end;) {
        MEMORY_BASIC_INFORMATION region{};
        if (at == 0 || VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0 ||
            region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
            (region.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) == 0)
            return false;
        at = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

}  // namespace

void PulseEvents(std::initializer_list<HANDLE> events)
{
    for (HANDLE event : events)
        PulseEvent(event);
}

LONG NegatedCommandId(WPARAM wParam)
{
    return static_cast<int16_t>(-static_cast<LONG>(wParam & 0xFFFF));
}

LRESULT ReportNotification(const NMHDR& header)
{
    int code = static_cast<int>(header.code);
    LONG from = reinterpret_cast<LONG>(header.hwndFrom);
    if (code == hotItemChange)
        return 0;
    if (IsCommonControlNotification(code)) {
        StoreInterlocked(runtime.notifyCode, code);
        StoreInterlocked(runtime.notifyWindow, from);
        if (runtime.controlsUnthemed) {
            StoreInterlocked(runtime.notifyPending, 1);
            PulseEvent(runtime.anyInputEvent);
        }
        return 0;
    }
    if (code == tabSelectionChange) {
        StoreInterlocked(runtime.tabChanged, 1);
        StoreInterlocked(runtime.tabWindow, from);
    }
    StoreInterlocked(runtime.notifyPending, 1);
    StoreInterlocked(runtime.notifyWindow, from);
    StoreInterlocked(runtime.notifyCode, code);
    PulseEvent(runtime.anyInputEvent);
    return 0;
}

bool MoveScrollBar(HWND bar, WPARAM wParam)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(bar, SB_CTL, &info);
    int step = std::abs(info.nMax - info.nMin) / 10;
    int position = info.nPos;
    int code = static_cast<int>(wParam & 0xFFFF);
    switch (code) {
    case SB_LINEUP: if (position != 0) --position; break;
    case SB_LINEDOWN: if (position < info.nMax) ++position; break;
    case SB_PAGEUP: position -= step; break;
    case SB_PAGEDOWN: position += step; break;
    case SB_THUMBPOSITION: position = static_cast<int>((wParam >> 16) & 0xFFFF); break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: break;
    }
    SCROLLINFO update{};
    update.cbSize = sizeof update;
    update.fMask = SIF_POS;
    update.nPos = position;
    SetScrollInfo(bar, SB_CTL, &update, TRUE);
    return code == SB_ENDSCROLL;
}

void ReportScrollEnd()
{
    StoreInterlocked(runtime.eventCode, 255);
    PulseEvent(runtime.anyInputEvent);
}

void ReportEnterKey(HWND keepFocusOn)
{
    if ((GetKeyState(VK_RETURN) & 0x8000) == 0)
        return;
    HWND focus = GetFocus();
    if (keepFocusOn == nullptr || focus != keepFocusOn)
        SetFocus(GetWindow(focus, GW_HWNDNEXT));
    StoreInterlocked(runtime.eventCode, 13);
    PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
}

void ReportSizeChange(WPARAM sizeType)
{
    if (sizeType == SIZE_RESTORED || sizeType == SIZE_MINIMIZED || sizeType == SIZE_MAXIMIZED) {
        StoreInterlocked(runtime.eventCode, 4);
        PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
    }
}

void HoldInMoveLoop(HWND window)
{
    if (!InSendMessage())
        HoldProgramThread(window);
}

void EndHoldInMoveLoop(HWND window)
{
    if (!InSendMessage())
        ReleaseProgramThread(window);
}

const NMHDR* NotificationOf(LPARAM lParam)
{
    if (!Readable(lParam, sizeof(NMHDR)))
        return nullptr;
    auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return GetWindowThreadProcessId(header->hwndFrom, nullptr) == GetCurrentThreadId() ? header : nullptr;
}

const HELPINFO* HelpOf(LPARAM lParam)
{
    if (!Readable(lParam, sizeof(HELPINFO)))
        return nullptr;
    auto* help = reinterpret_cast<const HELPINFO*>(lParam);
    return help->cbSize == sizeof(HELPINFO) ? help : nullptr;
}
