// The GUI loop on the real runtime: which queued messages reach LastEvent and pulse
// messageEvent, and how a synchronous wait passes through the GUI thread.
#include "kernel/program_thread.h"
#include "support/gui_hold.h"
#include "support/runtime_test.h"

namespace {

constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);
constexpr DWORD patience = 10000;   // milliseconds; reached only when something is broken

void FillLastEventWithSentinels()
{
    StoreInterlocked(runtime.lastEvent.window, sentinel);
    StoreInterlocked(runtime.lastEvent.message, sentinel);
    StoreInterlocked(runtime.lastEvent.wParam, sentinel);
    StoreInterlocked(runtime.lastEvent.lParam, sentinel);
}

// A second thread that is already waiting on messageEvent when the message is posted (a pulse
// wakes only threads that wait at that moment). Result() is the wait's outcome.
class MessageEventWaiter {
public:
    explicit MessageEventWaiter(DWORD timeout) : timeout(timeout)
    {
        ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready, patience);
        Sleep(50);  // from "about to wait" to "waiting"
    }
    ~MessageEventWaiter()
    {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(ready);
    }
    MessageEventWaiter(const MessageEventWaiter&) = delete;
    MessageEventWaiter& operator=(const MessageEventWaiter&) = delete;

    DWORD Result()
    {
        WaitForSingleObject(thread, INFINITE);
        return outcome;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* waiter = static_cast<MessageEventWaiter*>(self);
        SetEvent(waiter->ready);
        waiter->outcome = WaitForSingleObject(runtime.messageEvent, waiter->timeout);
        return 0;
    }
    DWORD timeout;
    DWORD outcome = WAIT_FAILED;
    HANDLE ready;
    HANDLE thread;
};

struct QueuedMessage {
    bool toRequestWindow;   // else a thread message (no window)
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Ordinary messages, also those next to the request message and one for the request window.
const QueuedMessage ordinaryMessages[] = {
    {false, WM_NULL, 0, 0},
    {false, WM_USER + 5, 0x12345678, static_cast<LPARAM>(0x9ABCDEF0)},
    {false, 0x8000, 1, 2},
    {false, 0x8002, requestBase + SleepOpcode, 0},
    {false, 0xC123, 0xFFFFFFFF, -1},
    {true, WM_USER + 7, 3, 4},
    {true, 0x8002, 5, 6},
};

TEST(GuiLoop, EveryOrdinaryQueuedMessageIsRecordedAndPulsed)
{
    for (const QueuedMessage& m : ordinaryMessages) {
        FillLastEventWithSentinels();
        HWND window = m.toRequestWindow ? runtime.requestWindow : nullptr;
        MessageEventWaiter waiter(patience);
        BOOL posted = m.toRequestWindow ? PostMessageA(window, m.message, m.wParam, m.lParam)
                                        : PostThreadMessageA(runtime.guiThreadId, m.message, m.wParam, m.lParam);
        ASSERT_TRUE(posted);
        EXPECT_EQ(waiter.Result(), WAIT_OBJECT_0) << "message " << std::hex << m.message;
        EXPECT_EQ(runtime.lastEvent.message, static_cast<LONG>(m.message));
        EXPECT_EQ(runtime.lastEvent.window, reinterpret_cast<LONG>(window));
        EXPECT_EQ(runtime.lastEvent.wParam, static_cast<LONG>(m.wParam));
        EXPECT_EQ(runtime.lastEvent.lParam, static_cast<LONG>(m.lParam));
    }
}

// The GUI thread's side of the dialog case: a window offered to IsDialogMessageA.
HWND __stdcall CreateDialogOnGuiThread()
{
    HWND dialog = CreateWindowExA(0, "#32770", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  runtime.instanceHandle, nullptr);
    StoreInterlocked(runtime.activeDialog, dialog);
    return dialog;
}

BOOL __stdcall DestroyDialogOnGuiThread(HWND dialog)
{
    StoreInterlocked(runtime.activeDialog, static_cast<HWND>(nullptr));
    return DestroyWindow(dialog);
}

TEST(GuiLoop, AMessageTheDialogConsumesIsRecordedAndPulsedToo)
{
    HWND dialog = reinterpret_cast<HWND>(CallOnGuiThread(reinterpret_cast<const void*>(CreateDialogOnGuiThread)));
    ASSERT_NE(dialog, nullptr);
    FillLastEventWithSentinels();
    {
        MessageEventWaiter waiter(patience);
        ASSERT_TRUE(PostMessageA(dialog, WM_USER + 9, 11, 12));
        EXPECT_EQ(waiter.Result(), WAIT_OBJECT_0);
    }
    EXPECT_EQ(runtime.lastEvent.window, reinterpret_cast<LONG>(dialog));
    EXPECT_EQ(runtime.lastEvent.message, WM_USER + 9);
    EXPECT_EQ(runtime.lastEvent.wParam, 11);
    EXPECT_EQ(runtime.lastEvent.lParam, 12);
    EXPECT_TRUE(CallOnGuiThread(reinterpret_cast<const void*>(DestroyDialogOnGuiThread),
                                {reinterpret_cast<DWORD>(dialog)}));
}

TEST(GuiLoop, RequestMessagesNeitherRecordNorPulse)
{
    FillLastEventWithSentinels();
    MessageEventWaiter waiter(1000);
    // Posted: one with completion, and two the executor ignores (unknown opcode, below the base).
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase + 200, 0);
    PostThreadMessageA(runtime.guiThreadId, requestMessage, 5, 0);
    PostGuiRequest(SleepOpcode, nullptr);   // returns once the three are handled, in order
    // Synchronous: these never enter the queue at all.
    GuiSleep(0);
    EXPECT_EQ(InputPending(), 0);
    EXPECT_EQ(waiter.Result(), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(runtime.lastEvent.window, sentinel);
    EXPECT_EQ(runtime.lastEvent.message, sentinel);
    EXPECT_EQ(runtime.lastEvent.wParam, sentinel);
    EXPECT_EQ(runtime.lastEvent.lParam, sentinel);
}

TEST(GuiLoop, GuiSleepOfZeroReturnsOnlyAfterTheGuiThreadTookIt)
{
    GuiThreadHold hold;
    ASSERT_TRUE(hold.Holding());
    GuiSleep(0);
    EXPECT_EQ(GuiThreadHold::Released(), 1) << "GuiSleep(0) returned while the GUI thread was busy";
}

}  // namespace
