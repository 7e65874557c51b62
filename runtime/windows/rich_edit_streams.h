// Loading and saving the contents of a rich edit control as rich text or plain text. The
// operations run on the calling thread; the streaming itself runs on the control's thread.
// Plain text: a file is read as UTF-8 or UTF-16 (either byte order) when it starts with their byte
// order mark, in the ANSI code page otherwise; CR LF, a CR and an LF of its own each end a line (a
// CR CR LF ends two). A plain-text save writes the control's text in the encoding, with the mark,
// and with the line ends (all of the kind of the first) of the file the control was last loaded
// from, or in the ANSI code page with CR LF; so a file whose line ends are all of one kind comes
// back byte for byte. A character that the encoding cannot hold fails the save rather than turn
// into another. Rich text that holds a character beyond the ANSI code page is saved as UTF-8 rich text.
// A failed load leaves the control's text and modified flag as they were. A save writes over the
// file itself, which keeps its owner, rights, attributes and other names (and through a link the
// file it points at); a failed save leaves the old contents as they were. A new file appears only
// whole, and a program ended during a save leaves no other file behind (ended while the old
// contents are being overwritten, it leaves them part new).
// Result: 0 on success, otherwise a system error code, never 0: 87 (ERROR_INVALID_PARAMETER) when
// the window is no rich edit control of this program (nothing is opened or created then); the
// code of a failed open, creation, read or write (112, ERROR_DISK_FULL, for a full disk); 8
// (ERROR_NOT_ENOUGH_MEMORY) when the file or the control's contents do not fit into memory; 13
// (ERROR_INVALID_DATA) when the control refuses the content (a file that is no rich text loaded as
// such); 1113 (ERROR_NO_UNICODE_TRANSLATION) for plain text that is not in its encoding, or a
// character that the file's encoding cannot hold; 38 (ERROR_HANDLE_EOF) when there is nothing to
// move (an empty file, an empty control as plain text).
#pragma once
#include <windows.h>

#include <cstdint>

bool IsRichEditControl(HWND window);

int32_t LoadRichTextFile(HWND window, const char* fileName);
int32_t LoadPlainTextFile(HWND window, const char* fileName);
int32_t SaveRichTextFile(HWND window, const char* fileName);
int32_t SavePlainTextFile(HWND window, const char* fileName);
