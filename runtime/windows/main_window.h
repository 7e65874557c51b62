// The window procedures of the classes "FENSTER" (the main window) and "DIALOG", and the dialog
// procedure of the runtime's modeless template dialogs.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RuntimeDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
