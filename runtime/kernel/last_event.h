#pragma once
#include <windows.h>

// Stores a message into LastEvent: message, window, wParam, lParam, each interlocked.
void RecordLastEvent(const MSG& message);
void RecordLastEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
