// Reporting input to the program thread: the pieces that the main window procedure and the
// procedures of the runtime's dialog windows share. Fields are always written (interlocked)
// before the events are pulsed, so a thread released by a pulse sees the new values.
#pragma once
#include <windows.h>

#include <initializer_list>

// PulseEvent on each event, in the order given.
void PulseEvents(std::initializer_list<HANDLE> events);

// The command identifier of a WM_COMMAND negated and sign-extended from 16 bits, the way
// menuItem reports control commands.
LONG NegatedCommandId(WPARAM wParam);

// WM_NOTIFY: records a control notification and reports it; always returns 0.
LRESULT ReportNotification(const NMHDR& header);

// WM_HSCROLL and WM_VSCROLL: moves the scroll bar control by the scroll code. Returns true
// for SB_ENDSCROLL, which the caller passes on to its default procedure and then reports.
bool MoveScrollBar(HWND bar, WPARAM wParam);
void ReportScrollEnd();

// DM_GETDEFID: Enter in a dialog-like window moves the focus on and reports code 13.
// The main window keeps the focus when it holds it itself (pass it as keepFocusOn).
void ReportEnterKey(HWND keepFocusOn);

// WM_SIZE: a restore, minimise or maximise reports code 4. The caller's default procedure
// handles the message as well.
void ReportSizeChange(WPARAM sizeType);

// WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: the program is held while the user moves or sizes the
// window. The system's loop sends them on this thread; sent by another program they hold nothing.
void HoldInMoveLoop(HWND window);
void EndHoldInMoveLoop(HWND window);

// The records that WM_NOTIFY and WM_HELP carry, or null. The system and this thread's controls
// send these with a record of this process; another program may send or post them with any
// address: a record that is not readable here, or that names no window of this thread (a
// notification) or has not the system's size (help), is refused.
const NMHDR* NotificationOf(LPARAM lParam);
const HELPINFO* HelpOf(LPARAM lParam);

// The block that a WM_INITDIALOG carries: the system sends it while it creates the dialog, before
// the dialog shows; one that comes later comes from another program and is refused (null).
template <typename Block>
Block* InitBlockOf(HWND dialog, LPARAM lParam)
{
    return IsWindowVisible(dialog) ? nullptr : reinterpret_cast<Block*>(lParam);
}
