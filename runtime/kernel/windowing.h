// Window set-up: defaults, input events, text metrics, the classes "FENSTER" and "DIALOG",
// and the main window's style flags and geometry.
#pragma once
#include <windows.h>

#include <cstdint>

int InitWindowing();
void ReleaseWindowing();
void RegisterWindowClasses();
void UnregisterWindowClasses();

// GUI thread (CreateMainWindowRequest): creates, shows and records the main window, unless there
// is one; ends the process with exit code 1 when it cannot be created.
void CreateMainWindow(int32_t x, int32_t y, int32_t width, int32_t height);

// Program thread.
void SetWindowStyleFlags(int32_t flags);
void SetMainWindowGeometry(int32_t x, int32_t y, int32_t width, int32_t height);
