// ExecuteGuiRequest: the GUI thread's dispatch of posted requests, the window requests, and the
// handlers that the request window shares with it.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "kernel/dialog_requests.h"
#include "kernel/gui_request.h"
#include "kernel/message_flow_requests.h"
#include "kernel/program_thread.h"
#include "kernel/request_records.h"
#include "kernel/runtime_state.h"
#include "kernel/system_libraries.h"
#include "kernel/windowing.h"
#include "windows/main_window.h"

namespace {

constexpr DWORD upDownStyle = 0x54000126;      // child, visible, clip siblings, hot track, arrow
                                               // keys, align right, set buddy integer
constexpr DWORD statusBarStyle = 0x50000020;   // child, visible, CCS_ADJUSTABLE
constexpr DWORD toolTipExStyle = 0x80080;      // WS_EX_TOOLWINDOW, WS_EX_LAYERED
constexpr DWORD toolTipStyle = 0x94800000;     // popup, visible, clip siblings, border
constexpr UINT toolRecordSize = 44;            // the tool record as the request defines it
constexpr WPARAM toolTipMaxWidth = 300;

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

int AllocateControlId()
{
    return static_cast<int>(runtime.nextControlId++);
}

// Controls and dialogs may be, or hold, common controls; the file and folder dialogs use COM.
// (CreateControlHandler prepares for itself: the request window carries it out too.)
void PrepareSystemLibrariesFor(GuiOpcode opcode)
{
    switch (opcode) {
    case FileDialogOpcode:
    case FolderDialogOpcode:
        PrepareCom();
        PrepareCommonControls();
        break;
    case OpenRuntimeDialogOpcode:
    case OpenTemplateDialogOpcode:
    case CreateTabControlOpcode:
    case EditBoxDialogOpcode:
    case ListBoxDialogOpcode:
    case InputDialogOpcode:
    case OpenDialogWithProcOpcode:
    case CreateUpDownOpcode:
    case CreateStatusBarOpcode:
    case CreateToolTipOpcode: PrepareCommonControls(); break;
    default: break;
    }
}

HMENU ControlIdAsMenu(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

void ShowCreated(HWND window)
{
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

void CreateMainWindowHandler(CreateMainWindowRequest* block)
{
    CreateMainWindow(block->x, block->y, block->width, block->height);
    HeapFree(GetProcessHeap(), 0, block);
}

void OpenRuntimeDialogHandler(OpenRuntimeDialogRequest& block)
{
    block.window = CreateDialogParamA(runtime.instanceHandle, "LDIALOG", block.parent, RuntimeDialogProcedure,
                                      reinterpret_cast<LPARAM>(&block));
    ShowCreated(block.window);
}

void OpenTemplateDialogHandler(OpenTemplateDialogRequest& block)
{
    HWND dialog = CreateDialogParamA(block.instance, block.templateName, block.parent, RuntimeDialogProcedure, 0);
    if (dialog == nullptr && !IS_INTRESOURCE(block.templateName)) {   // a number names itself: no text to read
        WORD number = static_cast<WORD>(std::atoi(block.templateName) & 0xFFFF);
        dialog = CreateDialogParamA(block.instance, MAKEINTRESOURCEA(number), block.parent,
                                    RuntimeDialogProcedure, 0);
    }
    block.window = dialog;
    ShowCreated(dialog);
}

void CreateTabControlHandler(CreateTabControlRequest& block)
{
    int id = AllocateControlId();
    block.window = CreateWindowExA(block.exStyle, block.className, "", block.style, block.x, block.y,
                                   block.width, block.height, block.parent, ControlIdAsMenu(id),
                                   runtime.instanceHandle, nullptr);
    const char* firstTab = block.windowName != nullptr ? block.windowName : "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(firstTab);
    item.cchTextMax = lstrlenA(firstTab);
    SendMessageA(block.window, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    GiveControlItsFont(block.window);
}

void CreateDialogWindowHandler(CreateDialogWindowRequest& block)
{
    block.window = CreateWindowExA(runtime.mainWindowExStyle, "DIALOG", block.title, runtime.mainWindowStyle,
                                   block.x, block.y, block.width, block.height, block.parent, nullptr,
                                   runtime.instanceHandle, nullptr);
    ShowCreated(block.window);
}

void OpenDialogWithProcHandler(OpenDialogWithProcRequest& block)
{
    HWND dialog = CreateDialogParamA(runtime.instanceHandle, "LDIALOG", runtime.mainWindow, block.dialogProcedure,
                                     reinterpret_cast<LPARAM>(&block));
    ShowCreated(dialog);
}

void CreateUpDownHandler(const CreateUpDownRequest& block)
{
    int id = AllocateControlId();
    auto create = SystemFunction<decltype(&CreateUpDownControl)>("comctl32.dll", "CreateUpDownControl");
    create(upDownStyle, block.x, block.y, block.width, block.height, block.parent, id, runtime.instanceHandle,
           block.buddy, block.upper, block.lower, block.position);
}

void CreateStatusBarHandler(CreateStatusBarRequest& block)
{
    int id = AllocateControlId();
    auto create = SystemFunction<decltype(&CreateStatusWindowA)>("comctl32.dll", "CreateStatusWindowA");
    block.window = create(statusBarStyle, block.text, block.parent, static_cast<UINT>(id));
}

void CreateToolTipHandler(CreateToolTipRequest& block)
{
    block.window = CreateWindowExA(toolTipExStyle, TOOLTIPS_CLASSA, nullptr, toolTipStyle, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, block.owner, nullptr,
                                   runtime.instanceHandle, nullptr);
    SendMessageA(block.window, TTM_SETMAXTIPWIDTH, 0, toolTipMaxWidth);
    TTTOOLINFOA tool{};
    tool.cbSize = toolRecordSize;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = block.owner;
    tool.uId = reinterpret_cast<UINT_PTR>(block.tool);
    tool.hinst = runtime.instanceHandle;
    tool.lpszText = const_cast<char*>(block.text);
    SendMessageA(block.window, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// After the main window has gone, requests start no new work; the creation block is still
// the executor's to free.
void DropRequest(WPARAM opcode, LPARAM block)
{
    if (opcode == CreateMainWindowOpcode)
        HeapFree(GetProcessHeap(), 0, reinterpret_cast<void*>(block));
}

// A posted request is carried out when the message that carries it is dispatched, whatever loop
// took it from the queue: the GUI loop, the executor's own loops, or a modal loop of the system
// (a dialog, a menu, a move or size loop) which would otherwise dispatch a thread message to no
// window. The moment a request message of the program leaves the queue, this hook readdresses it
// to the request window and notes it as taken; one that a loop drops rather than dispatches is
// carried out when control is back in one of the runtime's loops. A message only looked at (a menu
// loop peeks, offers the message to the filter hooks, and removes it afterwards) stays as it is,
// so nothing runs twice; a message that is no request of the program stays as it is and is refused.
//
// The hook also notes every quit message that leaves the queue: the emulator's move and size
// loops end on a quit message without posting it again, and the GUI loop posts it again for them.
HHOOK requestTaker;
UINT takenRequestMessage;
LPARAM marksPosted;   // GUI thread only: queue marks, numbered from 1
LPARAM marksPassed;   // the last that a loop took
// GUI thread only: requests that a loop other than the runtime's dispatched and that still run. A
// ProcessPendingRequest among them leaves the waiting messages to that loop: taken here, a move
// loop's key or button that ends it would go to the window instead.
int dispatchesOfOtherLoops;
bool quitTaken;
WPARAM takenQuitCode;

LRESULT CALLBACK TakeRequest(int code, WPARAM removal, LPARAM message)
{
    MSG* taken = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && (removal & PM_REMOVE)) {
        if (taken->message == requestMessage && taken->hwnd == nullptr &&
            NoteRemovedRequest(taken->wParam, taken->lParam)) {
            taken->hwnd = runtime.requestWindow;
            taken->message = takenRequestMessage;
        } else if (taken->message == WM_QUIT) {
            quitTaken = true;
            takenQuitCode = taken->wParam;
        }
    }
    return CallNextHookEx(requestTaker, code, removal, message);
}

void CreateControlHandler(CreateControlRequest& block)
{
    PrepareCommonControls();
    HMENU id = block.useGivenId ? block.id : ControlIdAsMenu(AllocateControlId());
    HINSTANCE instance = block.useGivenId ? block.instance : runtime.instanceHandle;
    block.window = CreateWindowExA(block.exStyle, block.className, block.windowName, block.style,
                                   block.x, block.y, block.width, block.height, block.parent, id,
                                   instance, nullptr);
    GiveControlItsFont(block.window);
}

// The request window stays: without it no synchronous request would run, and the posted ones
// that a modal loop takes would be lost.
void DestroyWindowHandler(DestroyWindowRequest& block)
{
    block.result = block.window != runtime.requestWindow && DestroyWindow(block.window) ? 1 : 0;
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

// A negative time (INFINITE among them) would stop the GUI thread for good: it waits not at all.
void SleepHandler(LPARAM milliseconds)
{
    Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}

void InputPendingHandler(int32_t* pending)
{
    Sleep(0);
    *pending = GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON) != 0 ? 1 : 0;
}

}  // namespace

// Opcodes without a handler here do nothing; those that signal still signal, so that no
// requester waits forever. A requester that waits is released by the completion of its request
// and by nothing else while the handler runs: the handler writes into its block until then. A
// message that is no request of the program is refused: nothing runs, nothing is signalled.
void ExecuteGuiRequest(const MSG& message)
{
    if (message.wParam == 0 && message.lParam > marksPassed && message.lParam <= marksPosted)
        marksPassed = message.lParam;
    RequestRecord* record = ClaimRequest(message.wParam, message.lParam, false);
    if (record == nullptr)
        return;
    WPARAM opcode = OpcodeOf(message.wParam);
    bool signals = opcode <= lastOpcode && OpcodeSignalsCompletion(static_cast<GuiOpcode>(opcode));
    void* block = reinterpret_cast<void*>(message.lParam);
    if (signals)
        BeginRequestWork();
    if (ProgramEndRequested()) {
        DropRequest(opcode, message.lParam);
    } else if (opcode <= lastOpcode) {
        PrepareSystemLibrariesFor(static_cast<GuiOpcode>(opcode));
        switch (opcode) {
        case CreateMainWindowOpcode: CreateMainWindowHandler(static_cast<CreateMainWindowRequest*>(block)); break;
        case CreateControlOpcode: CreateControlHandler(*static_cast<CreateControlRequest*>(block)); break;
        case PeekMessageOpcode: PeekMessageHandler(*static_cast<PeekMessageRequest*>(block)); break;
        case OpenRuntimeDialogOpcode: OpenRuntimeDialogHandler(*static_cast<OpenRuntimeDialogRequest*>(block)); break;
        case OpenTemplateDialogOpcode: OpenTemplateDialogHandler(*static_cast<OpenTemplateDialogRequest*>(block)); break;
        case PopupMenuOpcode: PopupMenuHandler(*static_cast<PopupMenuRequest*>(block)); break;
        case DestroyWindowOpcode: DestroyWindowHandler(*static_cast<DestroyWindowRequest*>(block)); break;
        case FileDialogOpcode: FileDialogHandler(*static_cast<FileDialogRequest*>(block)); break;
        case CreateTabControlOpcode: CreateTabControlHandler(*static_cast<CreateTabControlRequest*>(block)); break;
        case ProcessPendingOpcode: if (dispatchesOfOtherLoops == 0) ProcessPendingHandler(); break;
        case CallFunctionOpcode: CallFunctionHandler(*static_cast<CallFunctionRequest*>(block)); break;
        case CreateDialogWindowOpcode: CreateDialogWindowHandler(*static_cast<CreateDialogWindowRequest*>(block)); break;
        case FolderDialogOpcode: FolderDialogHandler(*static_cast<FolderDialogRequest*>(block)); break;
        case EditBoxDialogOpcode: EditBoxDialogHandler(*static_cast<EditBoxDialogRequest*>(block)); break;
        case ListBoxDialogOpcode: ListBoxDialogHandler(*static_cast<ListBoxDialogRequest*>(block)); break;
        case InputDialogOpcode: InputDialogHandler(*static_cast<InputDialogRequest*>(block)); break;
        case SleepOpcode: SleepHandler(message.lParam); break;
        case InputPendingOpcode: InputPendingHandler(static_cast<int32_t*>(block)); break;
        case FillListOpcode: FillListHandler(*static_cast<FillListRequest*>(block)); break;
        case OpenDialogWithProcOpcode: OpenDialogWithProcHandler(*static_cast<OpenDialogWithProcRequest*>(block)); break;
        case HoldMessagesOpcode: HoldMessagesHandler(); break;
        case EndHoldOpcode:
        case ResumeMessagesOpcode:
        case SuspendMessagesOpcode: ChangeHoldHandler(static_cast<GuiOpcode>(opcode)); break;
        case CreateUpDownOpcode: CreateUpDownHandler(*static_cast<CreateUpDownRequest*>(block)); break;
        case CreateStatusBarOpcode: CreateStatusBarHandler(*static_cast<CreateStatusBarRequest*>(block)); break;
        case CreateToolTipOpcode: CreateToolTipHandler(*static_cast<CreateToolTipRequest*>(block)); break;
        default: break;
        }
    }
    FinishRequest(record);
    if (signals) {
        SignalDone();
        EndRequestWork();
    }
}

void ExecuteSentRequest(WPARAM wParam, LPARAM lParam)
{
    RequestRecord* record = ClaimRequest(wParam, lParam, true);
    if (record == nullptr)
        return;
    switch (OpcodeOf(wParam)) {
    case CallFunctionOpcode: CallFunctionHandler(*reinterpret_cast<CallFunctionRequest*>(lParam)); break;
    case SleepOpcode: SleepHandler(lParam); break;
    case InputPendingOpcode: InputPendingHandler(reinterpret_cast<int32_t*>(lParam)); break;
    case CreateControlOpcode: CreateControlHandler(*reinterpret_cast<CreateControlRequest*>(lParam)); break;
    case DestroyWindowOpcode: DestroyWindowHandler(*reinterpret_cast<DestroyWindowRequest*>(lParam)); break;
    default: break;
    }
    FinishRequest(record);
}

// Only thread messages are posted requests; another program's message to the request window is
// taken out of the runtime's loops and refused.
bool CarryOutRequest(const MSG& message)
{
    bool taken = message.message == takenRequestMessage && message.hwnd == runtime.requestWindow;
    if (!taken && message.message != requestMessage)
        return false;
    if (taken || message.hwnd == nullptr)
        ExecuteGuiRequest(message);
    return true;
}

void CarryOutDispatchedRequest(const MSG& message)
{
    ++dispatchesOfOtherLoops;
    ExecuteGuiRequest(message);
    CarryOutDroppedRequests();
    --dispatchesOfOtherLoops;
}

void NudgeGuiThread()
{
    PostMessageA(runtime.requestWindow, takenRequestMessage, 0, 0);
}

LPARAM PostQueueMark()
{
    return PostMessageA(runtime.requestWindow, takenRequestMessage, 0, marksPosted + 1) ? ++marksPosted : 0;
}

bool QueueMarkPassed(LPARAM mark)
{
    return marksPassed >= mark;
}

void CarryOutDroppedRequests()
{
    MSG message{runtime.requestWindow, takenRequestMessage, 0, 0, 0, {0, 0}};
    for (int taken = 0; taken < requestRecordCount && TakeDroppedRequest(message.wParam, message.lParam); ++taken)
        ExecuteGuiRequest(message);
}

void PostTakenQuitAgain()
{
    if (quitTaken)
        PostQuitAgain(takenQuitCode);
}

void PostQuitAgain(WPARAM exitCode)
{
    quitTaken = false;
    PostQuitMessage(static_cast<int>(exitCode));
}

bool IsTakenRequest(UINT message)
{
    return message == takenRequestMessage;
}

void StartTakingRequests()
{
    takenRequestMessage = RegisterWindowMessageA("KalmusTakenRequest");
    requestTaker = SetWindowsHookExA(WH_GETMESSAGE, TakeRequest, nullptr, GetCurrentThreadId());
}

void StopTakingRequests()
{
    if (requestTaker != nullptr)
        UnhookWindowsHookEx(requestTaker);
    requestTaker = nullptr;
}
