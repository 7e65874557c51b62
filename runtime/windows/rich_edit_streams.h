// Loading and saving the contents of a rich edit control as rich text or plain text. The
// operations run on the calling thread; the streaming itself runs on the control's thread.
// Result: 0 on success; 87 (ERROR_INVALID_PARAMETER) when the window is no rich edit control
// (nothing is opened or created then); otherwise the system's error code of the failed open,
// creation or transfer, never 0.
#pragma once
#include <windows.h>

#include <cstdint>

bool IsRichEditControl(HWND window);

int32_t LoadRichTextFile(HWND window, const char* fileName);
int32_t LoadPlainTextFile(HWND window, const char* fileName);
int32_t SaveRichTextFile(HWND window, const char* fileName);
int32_t SavePlainTextFile(HWND window, const char* fileName);
