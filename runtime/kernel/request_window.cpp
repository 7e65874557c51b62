// The hidden request window: synchronous requests, carried out on the GUI thread while the
// sending program thread is blocked in SendMessageA.
#include "kernel/request_window.h"

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"

bool CreateRequestWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RequestWindowProc;
    windowClass.hInstance = runtime.instanceHandle;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = "CW";
    if (RegisterClassA(&windowClass) == 0)
        return false;
    runtime.requestWindow = CreateWindowExA(0, "CW", "CW", 0, 0, 0, 0, 0, nullptr, nullptr,
                                            runtime.instanceHandle, nullptr);
    return runtime.requestWindow != nullptr;
}

// Sent requests come as requestMessage; posted requests that a loop dispatched come readdressed
// (StartTakingRequests) and get the executor's full handling, and so do the requests that a loop
// dropped before (the readdressed message then names none, NudgeGuiThread). A readdressed message
// is dispatched, never sent: one sent by another thread is no request.
LRESULT CALLBACK RequestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsTakenRequest(message)) {
        if (!InSendMessage())
            CarryOutDispatchedRequest(MSG{window, message, wParam, lParam, 0, {0, 0}});
        return 0;
    }
    if (message != requestMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    ExecuteSentRequest(wParam, lParam);
    return 0;
}
