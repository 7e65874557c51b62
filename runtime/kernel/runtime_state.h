// RuntimeState: the runtime-wide fields shared by the GUI thread and the program thread.
//
// No locks: a field shared at run time is written by one thread (named in its comment), with an
// interlocked exchange where the comment says so, and read with plain loads. Fields written
// during start-up are written before the program thread exists and only read afterwards.
#pragma once
#include <windows.h>

#include <list>
#include <vector>

#include "values/program_objects.h"
#include "values/rt_string.h"
#include "values/value_settings.h"

// The last message the GUI thread handled (GUI thread, interlocked; a reader may see a mix of two).
struct LastEventRecord {
    volatile LONG window;
    volatile LONG message;
    volatile LONG wParam;
    volatile LONG lParam;
};

constexpr int callArgumentCapacity = 36;

struct RuntimeState {
    // --- Start-up (GUI thread during start-up; read-only afterwards unless noted) ---
    HINSTANCE instanceHandle;
    DWORD guiThreadId;
    LONG nextControlId;            // GUI thread only: identifier of the next created control
    volatile LONG screenWidth;     // GUI thread, interlocked: the main window follows a change of
    volatile LONG screenHeight;    // the screen (WM_DISPLAYCHANGE)
    volatile LONG trueColorMode;   // program thread: 0 = 15-bit colour values, else 24-bit
    volatile int32_t& decimals = valueSettings.decimals;       // the values layer's settings
    int32_t& minFieldWidth = valueSettings.minFieldWidth;
    LONG printFieldWidth;          // width of right-aligned text output
    HANDLE requestDoneEvent;       // auto-reset: set by the executor when a posted request is done
    HANDLE messageEvent;           // auto-reset: pulsed after each ordinary message
    volatile LONG errorMode;       // program thread: how errors and warnings are reported
    std::vector<RtString>& parameters = commandLineWords;   // a program object
    LONG parameterCount;           // words after the program's own word
    HWND requestWindow;            // hidden "CW" window of the synchronous requests
    char*& decimalSeparator = valueSettings.decimalSeparator;
    HANDLE programThreadHandle;    // set by RunGuiThread before the loop

    // --- Threads and loop ---
    LastEventRecord lastEvent;
    // The program thread's safe points (ProgramThreadSafePoint). The GUI thread asks, the
    // program thread obeys where it holds no lock.
    DWORD programThreadId;         // set by RunGuiThread with programThreadHandle
    volatile LONG programEndRequested;   // GUI thread, interlocked: the main window is gone
    HANDLE programEndEvent;        // manual-reset, set with programEndRequested
    volatile LONG programHoldRequested;  // GUI thread, interlocked: a move or size loop runs
    HANDLE programReleaseEvent;    // manual-reset, set when the hold ends
    DWORD callArguments[callArgumentCapacity];  // program thread fills; GUI thread reads in a call

    // --- Runtime errors (any thread, interlocked) ---
    volatile LONG lastErrorCode;
    volatile LONG lastErrorKind;   // 2 after an error, 1 after a warning

    // --- MCI (calling thread, interlocked) ---
    volatile LONG lastMciError;    // low 16 bits of the last mciSendStringA result

    // --- Windowing (InitWindowing on the GUI thread; style flags by the program thread) ---
    DWORD mainWindowStyle;
    DWORD mainWindowExStyle;
    RtString& mainWindowTitle = windowTitle;   // a program object
    HWND volatile mainWindow;      // GUI thread: set by the creation request
    HWND volatile activeDialog;    // GUI thread: offered every message through IsDialogMessageA
    HFONT standardFont;
    LONG controlFontMode;          // <= 0 system font; 1 standardFont; > 1 the value is a font
    volatile LONG noMenu;          // program thread, interlocked; sticky once set
    volatile LONG screenCopyOnCreate;
    volatile LONG dialogLikeMainWindow;
    HANDLE anyInputEvent;          // the four input events, auto-reset, pulsed by window procedures
    HANDLE keyOrWindowEvent;
    HANDLE characterEvent;
    HANDLE mouseOrCommandEvent;
    LONG textColumn;
    LONG textRow;
    HFONT textFont;
    LONG charWidth;
    LONG lineHeight;
    LONG textColourIndex;
    LONG textBackColourIndex;
    LONG lastLineIndex;
    BYTE controlsUnthemed;         // 1 when the program module carries no manifest
    HMENU popupMenu;

    // --- Runtime dialogs (GUI thread while a modal dialog is open, else the program thread) ---
    std::list<RtString>& lineList = dialogLines;   // a program object: lines shown and edited by the
                                                   // edit-box and list-box dialogs; lastLineIndex is
                                                   // the index of the last one appended
    RECT dialogSavedRect;          // GUI thread: a "DIALOG" window's rectangle when its move or
                                   // size loop began

    // --- Main window drawing (GUI thread; drawDc also by drawing commands) ---
    HDC windowDc;
    HDC drawDc;
    HDC backBufferDc;
    HBITMAP backBufferBitmap;
    volatile LONG clientWidth;     // GUI thread at creation, program thread after a move
    volatile LONG clientHeight;
    LONG windowDialogLike;
    RECT savedWindowRect;

    // --- Input state (GUI thread, interlocked unless noted; read by the program thread) ---
    volatile LONG lastKey;
    BYTE keyDownSeen;              // plain: GUI thread only
    volatile LONG eventCode;
    volatile LONG menuItem;
    volatile LONG lastCommandId;
    volatile LONG focusWindow;
    volatile LONG mouseX;
    volatile LONG mouseY;
    volatile LONG mouseButtonDown;
    volatile LONG lastMouseButton;
    volatile LONG notifyCode;
    volatile LONG notifyWindow;
    volatile LONG notifyPending;
    volatile LONG tabChanged;
    volatile LONG tabWindow;
    volatile LONG dialogResult;    // result of the last modal dialog or message box
};

extern RuntimeState runtime;

// Interlocked stores of 32-bit fields and handles.
inline void StoreInterlocked(volatile LONG& field, LONG value)
{
    InterlockedExchange(&field, value);
}

inline void StoreInterlocked(HWND volatile& field, HWND value)
{
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&field), value);
}
