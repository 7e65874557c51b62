// The procedures of the runtime's modal dialogs. Each gets its request block as the creation
// parameter, reports the user's choice in dialogResult (1 confirmed, 2 cancelled) and ends on
// OK or Cancel; the dialog manager turns Enter into OK and Escape into Cancel.
#pragma once
#include <windows.h>

// "INPUT": prompt 100, one-line edit 101. Hands the edited text back in the block's text.
INT_PTR CALLBACK InputDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "EDITBOX1", "EDITBOX2": multi-line edit 101 filled from lineList, copy 102, cut 103, paste 104.
// OK replaces lineList by the edit's lines and ends with 1; Cancel ends with 0.
INT_PTR CALLBACK EditBoxDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "LISTBOX1" to "LISTBOX8": list box 101 offering lineList, in order. Hands the chosen line back
// in the block's selection; a double click acts as OK.
INT_PTR CALLBACK ListBoxDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
