// The GUI request protocol: how the program thread has window work done on the GUI thread.
//
// A posted request is the thread message requestMessage sent to the GUI thread with
// wParam = the tag of its record << 16 | requestBase + opcode and the request block in lParam; the
// program thread then waits for it when the opcode signals completion. A synchronous request is
// the same message sent to the hidden request window; SendMessageA returns when it has been
// carried out. The GUI thread carries out only requests that were issued here (request_records.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "values/rt_string.h"

constexpr UINT requestMessage = 0x8001;   // WM_APP + 1
constexpr WPARAM requestBase = 0xA001;

enum GuiOpcode : uint32_t {
    CreateMainWindowOpcode = 0,
    CreateControlOpcode = 1,
    PeekMessageOpcode = 2,
    OpenRuntimeDialogOpcode = 3,
    OpenTemplateDialogOpcode = 4,
    PopupMenuOpcode = 5,
    DestroyWindowOpcode = 6,
    FileDialogOpcode = 7,
    CreateTabControlOpcode = 8,
    ProcessPendingOpcode = 9,
    CallFunctionOpcode = 10,
    CreateDialogWindowOpcode = 11,
    FolderDialogOpcode = 12,
    EditBoxDialogOpcode = 13,
    ListBoxDialogOpcode = 14,
    InputDialogOpcode = 15,
    SleepOpcode = 16,
    InputPendingOpcode = 17,
    FillListOpcode = 18,
    OpenDialogWithProcOpcode = 19,
    HoldMessagesOpcode = 20,
    EndHoldOpcode = 21,
    ResumeMessagesOpcode = 22,
    SuspendMessagesOpcode = 23,
    CreateUpDownOpcode = 24,
    CreateStatusBarOpcode = 25,
    CreateToolTipOpcode = 26,
    lastOpcode = CreateToolTipOpcode
};

// The high half of a request message's wParam names the request's record (request_records.h): a
// message that names none of the requests issued and not yet carried out is refused. The low half
// is requestBase + opcode; a value below the base wraps high, out of the opcodes' range.
inline WPARAM OpcodeOf(WPARAM wParam)
{
    return (wParam & 0xFFFF) - requestBase;
}

// Request blocks: plain 32-bit fields in protocol order. "out" fields are written by the GUI
// thread before completion. Texts are the requester's; the executor never frees them.

struct CreateMainWindowRequest {   // heap block, freed by the executor
    int32_t x, y, width, height;
};

struct CreateControlRequest {      // also CreateTabControlRequest (id and instance unused)
    int32_t useGivenId;
    DWORD style;
    DWORD exStyle;
    const char* className;
    const char* windowName;
    int32_t x, y, width, height;
    HWND parent;
    HMENU id;
    HINSTANCE instance;
    HWND window;                   // out
};

struct CreateTabControlRequest : CreateControlRequest {};  // windowName: the first tab's text

struct OpenRuntimeDialogRequest {  // the dialog "LDIALOG", placed and titled at its creation
    const char* title;
    HWND parent;
    int32_t x, y, width, height;
    HWND window;                   // out
};

struct CreateDialogWindowRequest : OpenRuntimeDialogRequest {};  // a window of the class "DIALOG"

struct OpenTemplateDialogRequest { // the template by name, else by the number the name spells
    const char* templateName;
    HWND parent;
    HINSTANCE instance;
    HWND window;                   // out
};

struct OpenDialogWithProcRequest { // "LDIALOG" with the requester's procedure; the whole block
    DWORD procedureData[3];        // is its creation parameter, the other fields are the
    DLGPROC dialogProcedure;       // procedure's own. Not signalled.
};

struct CreateUpDownRequest {
    int32_t x, y, width, height;
    HWND parent;
    HWND buddy;
    int32_t upper, lower, position;
};

struct CreateStatusBarRequest {
    HWND parent;
    const char* text;
    HWND window;                   // out
};

struct CreateToolTipRequest {
    HWND owner;
    HWND tool;
    const char* text;
    HWND window;                   // out
};

struct DestroyWindowRequest {
    HWND window;
    int32_t result;                // out: non-zero when destroyed
};

struct CallFunctionRequest {
    const void* functionAddress;
    int32_t argumentCount;         // 0 .. callArgumentCapacity, from callArguments
    int32_t result;                // out
};

// The dialog and menu requests. Every dialog and menu is owned by the main window. A text that
// a dialog procedure hands back (selection, text) is a block of the process heap that the
// requester frees with HeapFree.

struct PopupMenuRequest {          // popupMenu at a point of the main window
    int32_t x, y;                  // in: client coordinates; out: the same point on the screen
};

constexpr int32_t fileNameCapacity = 292;

struct FileDialogRequest {
    int32_t save;                  // non-zero: save dialog; zero: open dialog
    const char* title;
    char* filter;                  // open dialog: "name|pattern|...", split in place
    char* fileName;                // fileNameCapacity bytes; in: initial name; out: path or empty
};

struct FolderDialogRequest {
    const char* title;
    char* path;                    // MAX_PATH bytes; out: the chosen folder or empty
};

struct EditBoxDialogRequest {      // shows lineList and replaces it on OK
    const char* title;
    int32_t kind;                  // 2: "EDITBOX2"; any other value: "EDITBOX1"
    int32_t result;                // out: 1 OK, 0 Cancel, -1 no such template
};

struct ListBoxDialogRequest {      // offers the lines of lineList
    const char* title;
    int32_t kind;                  // 1 to 8: "LISTBOX" and that digit; any other value: "LISTBOX7"
    char* selection;               // out (heap block): the chosen line or empty
};

struct InputDialogRequest {
    const char* prompt;
    const char* title;
    char* text;                    // in: initial text (not freed); out: a new heap block
};

struct FillListRequest {           // sends message with each text of list as lParam
    HWND window;
    UINT message;
    const std::vector<RtString>* list;   // the list type of parameters
};


// GUI thread: runs the handler of a retrieved posted request message. Opcodes outside 0 to 26
// are ignored and not signalled; once the program's end was requested no request starts new work.
void ExecuteGuiRequest(const MSG& message);
// GUI thread: a synchronous request that reached the request window.
void ExecuteSentRequest(WPARAM wParam, LPARAM lParam);

// GUI thread, from the start of the GUI loop to its end: a request message is readdressed to the
// request window as it leaves the queue, so that it is carried out exactly once, when the loop
// that took it dispatches it (modal loops of the system included).
void StartTakingRequests();
void StopTakingRequests();
bool IsTakenRequest(UINT message);

// GUI loop, after each message it handled: a quit message that a loop inside took and dropped
// is posted again.
void PostTakenQuitAgain();
// The runtime's own loops: a quit message they took leaves them as the quit state.
void PostQuitAgain(WPARAM exitCode);

// GUI thread, in the runtime's own loops: carries out the message when it is a request; false
// for every other message.
bool CarryOutRequest(const MSG& message);
// GUI thread: a posted request that another loop dispatched to the request window (readdressed),
// and then the requests that loops dropped.
void CarryOutDispatchedRequest(const MSG& message);
// GUI thread, between two messages of the runtime's own loops: carries out, in the order they
// were issued, the posted requests that a loop took from the queue and dropped without
// dispatching them (a program's window procedure may run such a loop).
void CarryOutDroppedRequests();
// Any thread: a message that names no request and that every loop dispatches to the request
// window, where the dropped requests are then carried out.
void NudgeGuiThread();
// GUI thread: the same message, posted behind the messages that wait now, marks where they end;
// 0 when the queue is full. It has passed once any loop has taken it.
LPARAM PostQueueMark();
bool QueueMarkPassed(LPARAM mark);

// Program thread: posts a request; waits for its completion when the opcode signals it.
void PostGuiRequest(GuiOpcode opcode, void* block);
bool OpcodeSignalsCompletion(GuiOpcode opcode);

// Program thread: a synchronous request through the request window, then Sleep(0).
void SendGuiRequest(GuiOpcode opcode, LPARAM argument);

// Runs work(context) on the GUI thread, the owner of the windows' device contexts: directly
// when called there, else as a synchronous CallFunctionRequest. Drawing from two threads into
// one device context is not safe, so every drawing command goes through here.
using GuiWork = int32_t(__cdecl*)(void* context);
void RunOnGuiThread(GuiWork work, void* context);

// Calls a function with count 32-bit arguments (first argument first), whether it removes its
// arguments itself (__stdcall) or leaves that to the caller (__cdecl).
extern "C" int32_t CallWithArguments(const void* function, const DWORD* arguments, int32_t count);
