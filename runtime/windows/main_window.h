// The window procedures of the classes "FENSTER" (the main window) and "DIALOG".
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
