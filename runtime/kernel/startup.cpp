// WinMain: start-up, the GUI loop, and shutdown in their fixed order.
#include "kernel/startup.h"

#include <windows.h>

#include "values/command_line.h"
#include "kernel/program_locale.h"
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
