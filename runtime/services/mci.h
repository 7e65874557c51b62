// The MCI command facility: one command string in, the device's reply out.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "values/rt_string.h"

// Sends the command unchanged; the reply (at most 127 characters) or "" when there is none.
// Records the low 16 bits of the system's answer in lastMciError. Never reports an error.
RtString SendMciCommand(RtString command);

// The function that carries the command to the system: mciSendStringA unless a test has put a
// scripted device in its place.
using MciSender = MCIERROR(WINAPI*)(LPCSTR command, LPSTR reply, UINT replyCapacity, HWND callback);
void SetMciSender(MciSender sender);   // null restores mciSendStringA
