#include "kernel/last_event.h"

#include "kernel/runtime_state.h"

void RecordLastEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    StoreInterlocked(runtime.lastEvent.message, static_cast<LONG>(message));
    StoreInterlocked(runtime.lastEvent.window, reinterpret_cast<LONG>(window));
    StoreInterlocked(runtime.lastEvent.wParam, static_cast<LONG>(wParam));
    StoreInterlocked(runtime.lastEvent.lParam, static_cast<LONG>(lParam));
}

void RecordLastEvent(const MSG& message)
{
    RecordLastEvent(message.hwnd, message.message, message.wParam, message.lParam);
}
