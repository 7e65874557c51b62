// Holding the GUI thread: it stays inside a posted CallFunctionRequest until a synchronous
// request (a sent message) waits for it, so that a test knows what the GUI thread's queue holds
// when that request is carried out.
#pragma once
#include <windows.h>

class GuiThreadHold {
public:
    // Program thread: posts the hold and returns once the GUI thread is inside it.
    GuiThreadHold();
    // Waits until the GUI thread has finished the hold (its completion event).
    ~GuiThreadHold();
    GuiThreadHold(const GuiThreadHold&) = delete;
    GuiThreadHold& operator=(const GuiThreadHold&) = delete;

    bool Holding() const { return holding; }
    // 1 once the GUI thread has left the hold, which it does when a sent message waits.
    static LONG Released();

private:
    bool holding = false;
};
