// The rich edit control streams its contents through EM_STREAMIN and EM_STREAMOUT, calling
// back for each block; the callbacks move the bytes between the control and an open file.
#include "windows/rich_edit_streams.h"

#include <richedit.h>

namespace {

constexpr WPARAM richTextFormat = SF_RTF;
constexpr WPARAM plainTextFormat = SF_TEXT;
constexpr DWORD stopStreaming = 1;

DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    DWORD bytes = 0;
    BOOL read = ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(count), &bytes, nullptr);
    *transferred = static_cast<LONG>(bytes);
    return read ? 0 : stopStreaming;
}

DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    DWORD bytes = 0;
    BOOL written = WriteFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(count), &bytes, nullptr);
    *transferred = static_cast<LONG>(bytes);
    return written ? 0 : stopStreaming;
}

// Streams between the open file and the control. A transfer of no characters (an empty file,
// an empty control as plain text) is a failure; when the system holds no error code for it,
// the stream's own code or else ERROR_HANDLE_EOF stands for it, so that it never reads as
// success.
int32_t Stream(HWND window, HANDLE file, UINT message, WPARAM format, EDITSTREAMCALLBACK callback)
{
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(file);
    stream.dwError = 0;
    stream.pfnCallback = callback;
    SetLastError(0);
    LRESULT characters = SendMessageA(window, message, format, reinterpret_cast<LPARAM>(&stream));
    if (characters > 0) {
        CloseHandle(file);
        SendMessageA(window, EM_SETMODIFY, 0, 0);
        return 0;
    }
    DWORD code = GetLastError();
    CloseHandle(file);
    if (code == 0)
        code = stream.dwError != 0 ? stream.dwError : ERROR_HANDLE_EOF;
    return static_cast<int32_t>(code);
}

int32_t StreamFileIntoControl(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return static_cast<int32_t>(GetLastError());
    return Stream(window, file, EM_STREAMIN, format, ReadCallback);
}

int32_t StreamControlIntoFile(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    HANDLE file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return static_cast<int32_t>(GetLastError());
    return Stream(window, file, EM_STREAMOUT, format, WriteCallback);
}

}  // namespace

// A plain edit control knows neither EM_GETOPTIONS nor EM_GETTEXTMODE and answers 0 to both.
// A rich edit control created without option styles also answers 0 to EM_GETOPTIONS, but
// always names its text mode.
bool IsRichEditControl(HWND window)
{
    return IsWindow(window) &&
           (SendMessageA(window, EM_GETOPTIONS, 0, 0) != 0 || SendMessageA(window, EM_GETTEXTMODE, 0, 0) != 0);
}

int32_t LoadRichTextFile(HWND window, const char* fileName)
{
    return StreamFileIntoControl(window, fileName, richTextFormat);
}

int32_t LoadPlainTextFile(HWND window, const char* fileName)
{
    return StreamFileIntoControl(window, fileName, plainTextFormat);
}

int32_t SaveRichTextFile(HWND window, const char* fileName)
{
    return StreamControlIntoFile(window, fileName, richTextFormat);
}

int32_t SavePlainTextFile(HWND window, const char* fileName)
{
    return StreamControlIntoFile(window, fileName, plainTextFormat);
}
