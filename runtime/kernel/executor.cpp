// ExecuteGuiRequest: the GUI thread's dispatch of posted requests, and the handlers that the
// request window shares with it.
#include <windows.h>

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"

namespace {

void SignalDone()
{
    SetEvent(runtime.requestDoneEvent);
}

void GiveControlItsFont(HWND control)
{
    if (runtime.controlFontMode == 1)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(runtime.standardFont), 1);
    else if (runtime.controlFontMode > 1)
        SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(runtime.controlFontMode), 1);
}

HMENU AllocateControlId()
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(runtime.nextControlId++));
}

void CreateMainWindowHandler(CreateMainWindowRequest* block)
{
    CreateMainWindow(block->x, block->y, block->width, block->height);
    HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void CreateControlHandler(CreateControlRequest& block)
{
    HMENU id = block.useGivenId ? block.id : AllocateControlId();
    HINSTANCE instance = block.useGivenId ? block.instance : runtime.instanceHandle;
    block.window = CreateWindowExA(block.exStyle, block.className, block.windowName, block.style,
                                   block.x, block.y, block.width, block.height, block.parent, id,
                                   instance, nullptr);
    GiveControlItsFont(block.window);
}

void DestroyWindowHandler(DestroyWindowRequest& block)
{
    block.result = DestroyWindow(block.window) ? 1 : 0;
}

void CallFunctionHandler(CallFunctionRequest& block)
{
    int32_t count = block.argumentCount;
    if (count < 0)
        count = 0;
    if (count > callArgumentCapacity)
        count = callArgumentCapacity;
    block.result = CallWithArguments(block.functionAddress, runtime.callArguments, count);
}

void InputPendingHandler(int32_t* pending)
{
    Sleep(0);
    *pending = GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON) != 0 ? 1 : 0;
}

void ExecuteGuiRequest(const MSG& message)
{
    WPARAM opcode = message.wParam - requestBase;  // unsigned: below the base wraps high
    if (opcode > lastOpcode)
        return;
    void* block = reinterpret_cast<void*>(message.lParam);
    switch (opcode) {
    case CreateMainWindowOpcode:
        CreateMainWindowHandler(static_cast<CreateMainWindowRequest*>(block));
        break;
    case CreateControlOpcode: CreateControlHandler(*static_cast<CreateControlRequest*>(block)); break;
    case DestroyWindowOpcode: DestroyWindowHandler(*static_cast<DestroyWindowRequest*>(block)); break;
    case CallFunctionOpcode: CallFunctionHandler(*static_cast<CallFunctionRequest*>(block)); break;
    case SleepOpcode: Sleep(static_cast<DWORD>(message.lParam)); break;
    case InputPendingOpcode: InputPendingHandler(static_cast<int32_t*>(block)); break;
    default: break;
    }
    if (OpcodeSignalsCompletion(static_cast<GuiOpcode>(opcode)))
        SignalDone();
}
