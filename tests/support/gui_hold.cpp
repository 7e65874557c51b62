#include "support/gui_hold.h"

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"

namespace {

constexpr DWORD patience = 10000;   // milliseconds; reached only when something is broken

HANDLE holdEntered;
volatile LONG holdReleased;
CallFunctionRequest holdBlock;

int __cdecl HoldUntilASentMessageWaits()
{
    SetEvent(holdEntered);
    DWORD start = GetTickCount();
    while ((GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE) == 0 && GetTickCount() - start < patience)
        Sleep(1);
    InterlockedExchange(&holdReleased, 1);
    return 0;
}

}  // namespace

GuiThreadHold::GuiThreadHold()
{
    if (holdEntered == nullptr)
        holdEntered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    InterlockedExchange(&holdReleased, 0);
    holdBlock = CallFunctionRequest{reinterpret_cast<const void*>(HoldUntilASentMessageWaits), 0, -1};
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase + CallFunctionOpcode,
                       reinterpret_cast<LPARAM>(&holdBlock));
    holding = WaitForSingleObject(holdEntered, patience) == WAIT_OBJECT_0;
}

GuiThreadHold::~GuiThreadHold()
{
    WaitForSingleObject(runtime.requestDoneEvent, patience);
}

LONG GuiThreadHold::Released()
{
    return holdReleased;
}
