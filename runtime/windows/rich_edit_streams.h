// Loading and saving the contents of a rich edit control as rich text or plain text. The
// operations run on the calling thread; the streaming itself runs on the control's thread.
// A plain-text file loads and saves byte for byte. A failed load leaves the control's text and
// modified flag as they were; a failed save leaves the old file as it was and no other behind.
// Result: 0 on success, otherwise a system error code, never 0: 87 (ERROR_INVALID_PARAMETER) when
// the window is no rich edit control of this program (nothing is opened or created then); the
// code of a failed open, creation, read or write (112, ERROR_DISK_FULL, for a full disk); 13
// (ERROR_INVALID_DATA) when the control refuses the content (a file that is no rich text loaded as
// such); 38 (ERROR_HANDLE_EOF) when there is nothing to move (an empty file, an empty control as
// plain text).
#pragma once
#include <windows.h>

#include <cstdint>

bool IsRichEditControl(HWND window);

int32_t LoadRichTextFile(HWND window, const char* fileName);
int32_t LoadPlainTextFile(HWND window, const char* fileName);
int32_t SaveRichTextFile(HWND window, const char* fileName);
int32_t SavePlainTextFile(HWND window, const char* fileName);
