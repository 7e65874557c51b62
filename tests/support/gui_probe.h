// Looking at windows the way a user sees them: message boxes of this process, their texts,
// their buttons.
#pragma once
#include <windows.h>

#include <string>

struct MessageBoxSeen {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    bool hasOk = false;
    bool hasCancel = false;
};

// Waits up to timeout for a message box of this process, reads it, presses buttonId and waits
// until the box has gone.
MessageBoxSeen AnswerMessageBox(int buttonId, DWORD timeoutMilliseconds = 10000);

// The same for a box of another process (a child the test started).
MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds = 10000);

// Runs AnswerMessageBox on a thread of its own, for boxes shown by the calling thread.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int buttonId, DWORD timeoutMilliseconds = 10000);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Waits for the answer thread and returns what it saw.
    MessageBoxSeen Result();

private:
    static DWORD WINAPI Run(void* self);
    int buttonId;
    DWORD timeout;
    MessageBoxSeen seen;
    HANDLE thread;
};

// The visible top-level window of the class that the process shows now, or null.
HWND FindProcessWindow(DWORD processId, const char* className);

// The number of visible message boxes of this process now.
int CountMessageBoxes();
