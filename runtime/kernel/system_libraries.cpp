#include "kernel/system_libraries.h"

#include <commctrl.h>
#include <objbase.h>

#include <cctype>
#include <cstring>

namespace {

constexpr DWORD controlClasses = 0x11C;   // bars, tabs, up-down, date and time
bool commonControlsReady;                 // GUI thread only
bool comInitialized;

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The last path component without its extension, in lower case: "C:\x\User32.dll" -> "user32".
void BaseName(const char* library, char* name, size_t size)
{
    const char* start = library;
    for (const char* at = library; *at != 0; ++at) {
        if (*at == '\\' || *at == '/')
            start = at + 1;
    }
    size_t length = 0;
    for (; start[length] != 0 && start[length] != '.' && length + 1 < size; ++length)
        name[length] = static_cast<char>(std::tolower(static_cast<unsigned char>(start[length])));
    name[length] = 0;
}

}  // namespace

FARPROC SystemEntry(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr)
        module = LoadLibraryA(library);   // kept for the rest of the run
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

void PrepareCommonControls()
{
    if (commonControlsReady)
        return;
    commonControlsReady = true;
    INITCOMMONCONTROLSEX controls{sizeof controls, controlClasses};
    if (auto initialize = SystemFunction<decltype(&InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx"))
        initialize(&controls);
}

void PrepareCom()
{
    if (comInitialized)
        return;
    comInitialized = true;
    if (auto initialize = SystemFunction<decltype(&CoInitialize)>("ole32.dll", "CoInitialize"))
        initialize(nullptr);
}

void ReleaseSystemLibraries()
{
    if (comInitialized)
        SystemFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize")();
    comInitialized = false;
}

bool CallMayNeedSystemLibraries(const char* library, const char* function)
{
    char name[32];
    BaseName(library, name, sizeof name);
    if (std::strcmp(name, "kernel32") == 0 || std::strcmp(name, "gdi32") == 0 || std::strcmp(name, "winmm") == 0)
        return false;
    if (std::strcmp(name, "user32") != 0)
        return true;
    return StartsWith(function, "CreateWindow") || StartsWith(function, "CreateDialog") ||
           StartsWith(function, "DialogBox") || StartsWith(function, "CreateMDIWindow");
}
