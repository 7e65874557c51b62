// Window appearance and geometry commands: colours, clearing, title, placement, focus.
#pragma once
#include <windows.h>

#include <cstdint>

#include "values/rt_string.h"

void SetTrueColorMode(int32_t flag);
void SetDecimals(int32_t count);
int32_t MakeColor(int32_t red, int32_t green, int32_t blue);
void ClearWindow(int32_t colour);        // creates a 640 x 480 main window when none exists
void ClearWindowToSystemColor();
void SetWindowTitle(RtString title);
void PlaceWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, int32_t zOrder);
void FocusWindow(HWND window);
