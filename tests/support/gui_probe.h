// Windows and processes as a user sees them: message boxes with their texts and buttons, the
// windows another process shows, child processes and their exit codes.
#pragma once
#include <windows.h>

#include <string>

struct MessageBoxSeen {
    bool found = false;
    std::string caption, text;
    HWND owner = nullptr;
    bool hasOk = false, hasCancel = false;
    HICON icon = nullptr;   // a handle of the box's process
};

// Waits for a message box of the process, reads it, presses the button and waits until it has gone.
MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds = 10000);

HWND FindProcessWindow(DWORD processId, const char* className);   // visible, top-level, now
std::string WindowText(HWND window);
std::string ClassOf(HWND window);
std::string ThisProgram();
std::string ProgramFolder();   // with its separator

class ChildProcess {   // ended when the object goes while it still runs; an empty line starts none
public:
    static constexpr DWORD timedOut = 0xFFFFFFFF;
    explicit ChildProcess(std::string commandLine, const char* program = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    DWORD Id() const { return process.dwProcessId; }
    HWND WaitForWindow(const char* className, DWORD timeoutMilliseconds = 15000) const;
    DWORD ExitCode(DWORD timeoutMilliseconds = 15000);   // timedOut (and ended) when it runs on

private:
    PROCESS_INFORMATION process{};
};
