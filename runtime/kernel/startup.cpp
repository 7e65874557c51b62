// WinMain: start-up, the GUI loop, and shutdown in their fixed order.
#include "kernel/startup.h"

#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "values/command_line.h"
#include "kernel/request_window.h"
#include "kernel/system_libraries.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "services/runtime_errors.h"
#include "values/program_objects.h"

int InitRuntime()
{
    runtime.guiThreadId = GetCurrentThreadId();
    runtime.nextControlId = 1000;
    runtime.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    runtime.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    runtime.trueColorMode = 0;
    runtime.decimals = 6;
    runtime.minFieldWidth = 0;
    runtime.printFieldWidth = 0;
    runtime.requestDoneEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    runtime.messageEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    runtime.errorMode = 1;
    valueSettings.reportError = RuntimeError;

    startText = emptyText;
    runtime.parameters.clear();
    SplitCommandLine(GetCommandLineA(), runtime.parameters);
    // A command line of blanks has not even the program's own word.
    runtime.parameterCount = runtime.parameters.empty() ? 0 : static_cast<LONG>(runtime.parameters.size()) - 1;

    if (!CreateRequestWindow())
        ExitProcess(1);
    return 0;
}

int InitLocale()
{
    // "English" is this locale; its full name spares the library a search through every
    // locale the system knows (a few milliseconds of the start-up under Wine).
    if (std::setlocale(LC_ALL, "English_United States.1252") == nullptr)
        std::setlocale(LC_ALL, "English");
    const char* point = std::localeconv()->decimal_point;
    runtime.decimalSeparator = static_cast<char*>(std::calloc(8, 1));
    std::strncpy(runtime.decimalSeparator, point != nullptr && *point != 0 ? point : ".", 7);
    return 0;
}

int ReleaseLocale()
{
    std::free(runtime.decimalSeparator);
    runtime.decimalSeparator = nullptr;
    return 0;
}

int ReleaseRuntime()
{
    CloseHandle(runtime.requestDoneEvent);
    CloseHandle(runtime.messageEvent);
    ReleaseSystemLibraries();
    runtime.parameters.clear();  // parameterCount keeps its value
    EmptyRuntimeTables();
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    runtime.instanceHandle = instance;
    InitRuntime();
    InitLocale();
    InitWindowing();
    int exitCode = RunGuiThread();
    ReleaseWindowing();
    ReleaseLocale();
    ReleaseRuntime();
    return exitCode;
}
