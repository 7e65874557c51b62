// The system libraries that only some programs need (MCI, COM, the common controls, the common
// dialogs, the shell) are loaded when first needed rather than at start-up, so that a program that
// needs none of them never pays for loading and initialising them (the player needs only MCI).
#pragma once
#include <windows.h>

// GUI thread, before anything that may need them: loads the common controls (which registers
// their window classes) and initialises COM for the GUI thread. Each happens once.
void PrepareCommonControls();
void PrepareCom();
void ReleaseSystemLibraries();   // at shutdown: COM is left as it was found

// Whether a library call may need the common controls or COM: everything except the core
// libraries, and in user32 everything that creates windows or dialogs.
bool CallMayNeedSystemLibraries(const char* library, const char* function);

// An entry of a system library, which is loaded on the first request for one of its entries.
FARPROC SystemEntry(const char* library, const char* name);

template <typename Function>
Function SystemFunction(const char* library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemEntry(library, name)));
}
