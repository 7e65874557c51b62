#pragma once
#include <windows.h>

// Registers the class "CW" and creates the hidden request window; false on failure.
bool CreateRequestWindow();

LRESULT CALLBACK RequestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
