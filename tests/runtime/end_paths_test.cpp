// The ways a program ends, each in a process of its own (end_paths_program), and the reports
// that end it, read back from the child's real message boxes.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

constexpr DWORD patience = 15000;   // milliseconds; reached only when something is broken
constexpr DWORD timedOut = 0xFFFFFFFF;

const std::string boxText = "Zeilennummer nicht verf\xFCgbar.";

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + "end_paths_program.exe";
}

class Child {
public:
    // A child whose command line is only blanks is started with exactly those blanks.
    explicit Child(const std::string& arguments)
    {
        bool blanks = arguments.find_first_not_of(' ') == std::string::npos;
        std::string commandLine = blanks ? arguments : "\"" + ProgramPath() + "\" " + arguments;
        std::string program = ProgramPath();
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started = CreateProcessA(blanks ? program.c_str() : nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process) != 0;
    }
    ~Child()
    {
        if (!started)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, timedOut);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    DWORD Id() const { return process.dwProcessId; }

    // The exit code, or timedOut when the child does not end in time (it is then ended).
    DWORD ExitCode()
    {
        if (WaitForSingleObject(process.hProcess, patience) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, timedOut);
            WaitForSingleObject(process.hProcess, patience);
            return timedOut;
        }
        DWORD code = timedOut;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    bool started = false;

private:
    PROCESS_INFORMATION process{};
};

// Waits for the child's visible window of the class.
HWND FindChildWindow(DWORD processId, const char* className)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < patience) {
        if (HWND found = FindProcessWindow(processId, className))
            return found;
        Sleep(20);
    }
    return nullptr;
}

TEST(EndPaths, TheProgramReturnsAfterPostingQuit)
{
    Child child("return");
    ASSERT_TRUE(child.started) << ProgramPath();
    EXPECT_EQ(child.ExitCode(), 0u);
}

TEST(EndPaths, EndProgramThread)
{
    Child child("end");
    ASSERT_TRUE(child.started);
    EXPECT_EQ(child.ExitCode(), 0u);
}

TEST(EndPaths, TheMainWindowIsClosedWhileTheProgramIsBusy)
{
    Child child("close");
    ASSERT_TRUE(child.started);
    HWND window = FindChildWindow(child.Id(), "FENSTER");
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.ExitCode(), 0u) << "102: the program thread outlived its window";
}

TEST(EndPaths, ParametersComeFromTheRealCommandLine)
{
    Child child("parameters \"C:\\My Clips\\a b.avi\"   1 \"\" x\ty \"quoted\"letters \xE4\xF6\xFC \"open to  the end ");
    ASSERT_TRUE(child.started);
    EXPECT_EQ(child.ExitCode(), 0u) << "110 + i: parameter i differs";
}

// Each of these once hung or crashed: the program must end by itself, with exit code 0.
TEST(EndPaths, TheProgramEndsWhateverEndsTheLoop)
{
    {
        Child child("quit-from-outside");
        ASSERT_TRUE(child.started);
        HWND window = FindChildWindow(child.Id(), "FENSTER");
        ASSERT_NE(window, nullptr);
        PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
        EXPECT_EQ(child.ExitCode(), 0u) << "a quit message from another program";
    }
    {
        Child child("fatal-on-gui-thread");
        ASSERT_TRUE(child.started);
        MessageBoxSeen box = AnswerProcessMessageBox(child.Id(), IDOK, patience);
        EXPECT_EQ(box.caption, "Fehler beim Laden der DLL: nosuch.dll");
        EXPECT_EQ(child.ExitCode(), 0u) << "a fatal report on the GUI thread";
    }
    for (const char* mode : {"destroy-in-request", "hold-in-move-loop"}) {
        Child child(mode);
        ASSERT_TRUE(child.started);
        EXPECT_EQ(child.ExitCode(), 0u) << mode;
    }
    Child blanks("   ");
    ASSERT_TRUE(blanks.started);
    EXPECT_EQ(blanks.ExitCode(), 0u) << "103: a command line of blanks counted -1 parameters";
}

// Wine's CreateProcess takes no program path longer than MAX_PATH, but its loader does: the
// program, copied into a folder deeper than that, is started through the loader as a shell
// starts it. Such a process cannot be waited for; it reports through a file and an event.
TEST(EndPaths, ParameterZeroIsTheWholePathOfAProgramInADeepFolder)
{
    using UnixName = char*(WINAPI*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    const char* loader = std::getenv("WINELOADER");
    ASSERT_TRUE(unixName != nullptr && loader != nullptr) << "Wine's loader starts the program";
    auto wide = [](const std::string& text) {
        std::wstring result(text.size(), L'\0');
        result.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), text.size(), &result[0], result.size()));
        return result;
    };
    std::string folder = ProgramPath().substr(0, ProgramPath().rfind('\\') + 1), deep = folder + "deep";
    CreateDirectoryW(wide(deep).c_str(), nullptr);
    while (deep.size() < 300) {
        deep += "\\" + std::string(60, 'o');
        CreateDirectoryW(wide(deep).c_str(), nullptr);
    }
    std::string program = deep + "\\end_paths_program.exe", report = folder + "parameter_zero.txt";
    ASSERT_TRUE(CopyFileW(wide(ProgramPath()).c_str(), wide(program).c_str(), FALSE));
    DeleteFileA(report.c_str());
    char* unixProgram = unixName(wide(program).c_str());
    std::string command = std::string(loader) + " \"" + unixProgram + "\" path \"" + report + "\" kalmus_path_reported";
    HeapFree(GetProcessHeap(), 0, unixProgram);
    HANDLE reported = CreateEventA(nullptr, TRUE, FALSE, "kalmus_path_reported");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(reported, patience), WAIT_OBJECT_0) << "no report from " << program;
    std::ifstream file(report, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), program);
    CloseHandle(reported);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

struct ExpectedBox {
    int answer;
    const char* caption;
    bool withCancel;
    bool ownedByMainWindow;
};

struct FatalCase {
    const char* mode;
    std::vector<ExpectedBox> boxes;
};

const FatalCase fatalCases[] = {
    {"error248", {{IDOK, "Funktion in DLL nicht vohanden: Foo", false, false}}},
    {"error248-window", {{IDOK, "Funktion in DLL nicht vohanden: Foo", false, true}}},
    {"error207", {{IDOK, "", false, false}}},
    {"warning", {{IDCANCEL, "Negative Fenstergr\xF6\xDF" "e!", true, false},
                 {IDOK, "Programm abgebrochen!", false, false}}},
    {"mode0", {{IDOK, "Fehler beim Laden der DLL: nosuch.dll", false, false}}},
    {"mode2", {{IDOK, "Negative Fenstergr\xF6\xDF" "e!", false, false}}},
};

TEST(EndPaths, FatalReportsShowTheirBoxesAndEndTheProgram)
{
    for (const FatalCase& c : fatalCases) {
        Child child(c.mode);
        ASSERT_TRUE(child.started);
        HWND mainWindow = nullptr;
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            const ExpectedBox& expected = c.boxes[i];
            if (expected.ownedByMainWindow && mainWindow == nullptr)
                mainWindow = FindChildWindow(child.Id(), "FENSTER");
            MessageBoxSeen box = AnswerProcessMessageBox(child.Id(), expected.answer, patience);
            ASSERT_TRUE(box.found) << c.mode << " box " << i;
            EXPECT_EQ(box.caption, expected.caption) << c.mode << " box " << i;
            EXPECT_EQ(box.text, boxText) << c.mode << " box " << i;
            EXPECT_TRUE(box.hasOk) << c.mode << " box " << i;
            EXPECT_EQ(box.hasCancel, expected.withCancel) << c.mode << " box " << i;
            EXPECT_EQ(box.owner, expected.ownedByMainWindow ? mainWindow : nullptr) << c.mode << " box " << i;
        }
        EXPECT_EQ(child.ExitCode(), 0u) << c.mode << ": 101 means the report returned";
    }
}

}  // namespace
