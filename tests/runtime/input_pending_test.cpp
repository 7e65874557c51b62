// InputPendingRequest on the real runtime: keyboard and mouse input waiting in the GUI thread's
// queue, injected with SendInput into the foreground main window while the GUI thread is held.
#include "kernel/program_thread.h"
#include "kernel/windowing.h"
#include "support/gui_hold.h"
#include "support/runtime_test.h"

namespace {

void PrepareMainWindowInFront()
{
    SetMainWindowGeometry(100, 100, 300, 200);
    HWND window = runtime.mainWindow;
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([window] { return GetForegroundWindow() == window; }));
}

void DrainGuiQueue()
{
    WaitFor([] { return InputPending() == 0; });
}

INPUT Key(WORD key, DWORD flags)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

TEST(InputPendingRequest, NothingPendingGivesZero)
{
    EXPECT_EQ(InputPending(), 0);
}

TEST(InputPendingRequest, InputInTheProgramThreadsOwnQueueDoesNotCount)
{
    PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, 'Q', 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(InputPending(), 0);
    MSG message;
    int removed = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ++removed;
    EXPECT_EQ(removed, 2) << "the messages stayed in the program thread's queue";
}

TEST(InputPendingRequest, KeysForTheMainWindowCountUntilTheLoopTakesThem)
{
    PrepareMainWindowInFront();
    DrainGuiQueue();
    StoreInterlocked(runtime.lastKey, 0);
    {
        GuiThreadHold hold;
        ASSERT_TRUE(hold.Holding());
        INPUT keys[] = {Key('Q', 0), Key('Q', KEYEVENTF_KEYUP)};
        ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
        EXPECT_EQ(InputPending(), 1);
    }
    EXPECT_TRUE(WaitFor([] { return runtime.lastKey == 'Q'; })) << "the key reached the main window";
    EXPECT_TRUE(WaitFor([] { return InputPending() == 0; }));
}

TEST(InputPendingRequest, MouseButtonsForTheMainWindowCount)
{
    PrepareMainWindowInFront();
    RECT rect{};
    GetWindowRect(runtime.mainWindow, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    DrainGuiQueue();
    {
        GuiThreadHold hold;
        ASSERT_TRUE(hold.Holding());
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);
        EXPECT_EQ(InputPending(), 1);
    }
    EXPECT_TRUE(WaitFor([] { return InputPending() == 0; }));
}

}  // namespace
