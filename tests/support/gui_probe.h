// Looking at windows and processes the way a user sees them: message boxes and their texts and
// buttons, the windows another process shows, child processes and their exit codes.
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

// Waits up to timeout for a message box of the process, reads it, presses buttonId and waits
// until the box has gone.
MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds = 10000);
MessageBoxSeen AnswerMessageBox(int buttonId, DWORD timeoutMilliseconds = 10000);   // this process

// Answers a box of this process on a thread of its own, for boxes shown by the calling thread.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int buttonId, DWORD timeoutMilliseconds = 10000);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    MessageBoxSeen Result();   // waits for the answer

private:
    static DWORD WINAPI Run(void* self);
    int buttonId;
    DWORD timeout;
    MessageBoxSeen seen;
    HANDLE thread;
};

// The visible top-level window of the class that the process shows now, or null.
HWND FindProcessWindow(DWORD processId, const char* className);
int CountMessageBoxes();   // visible boxes of this process

// The folder of this program, with its separator; and this program's path.
std::string ProgramFolder();
std::string ThisProgram();

// A child process; ended when the object goes and it still runs.
class ChildProcess {
public:
    static constexpr DWORD timedOut = 0xFFFFFFFF;
    // commandLine as the child sees it; program: the file to start (null: the command line's
    // first word names it).
    explicit ChildProcess(const std::string& commandLine, const char* program = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return started; }
    DWORD Id() const { return process.dwProcessId; }
    HWND WaitForWindow(const char* className, DWORD timeoutMilliseconds = 15000) const;
    DWORD ExitCode(DWORD timeoutMilliseconds = 15000);   // timedOut (and ended) when it runs on

private:
    bool started = false;
    PROCESS_INFORMATION process{};
};

// This program started again with the scenario's name; its exit code, or timedOut.
DWORD RunScenario(const std::string& nameAndArguments, DWORD timeoutMilliseconds = 15000);
