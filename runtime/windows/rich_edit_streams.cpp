// The rich edit control streams its contents through EM_STREAMIN and EM_STREAMOUT, calling
// back for each block; the callbacks move the bytes between the control and a file or memory.
// Nothing is lost when a transfer fails: a load puts back what the control held (the control
// empties itself before it reads), and a save writes a new file beside the old one and puts it
// in its place only when every byte is written and flushed.
#include "windows/rich_edit_streams.h"

#include <richedit.h>

#include <cstdio>
#include <string>

namespace {

constexpr WPARAM richTextFormat = SF_RTF;
constexpr WPARAM plainTextFormat = SF_TEXT;
constexpr DWORD stopStreaming = 1;
constexpr int namesToTry = 64;   // for a file name of its own beside the target

// One end of a stream: an open file, or without one the bytes in memory.
struct Channel {
    HANDLE file = nullptr;
    std::string memory;
    size_t readPosition = 0;           // in memory
    bool carriageReturnHeld = false;   // the CR that ended the last block read, not yet handed over
    DWORD error = 0;                   // the system's code of the first failed read or write
    size_t bytes = 0;                  // bytes moved so far
};

DWORD LastErrorOr(DWORD fallback)
{
    DWORD code = GetLastError();
    return code != 0 ? code : fallback;
}

bool ReadBytes(Channel& channel, LPBYTE buffer, DWORD count, DWORD& read)
{
    if (channel.file != nullptr)
        return ReadFile(channel.file, buffer, count, &read, nullptr) != 0;
    read = static_cast<DWORD>(channel.memory.copy(reinterpret_cast<char*>(buffer), count, channel.readPosition));
    channel.readPosition += read;
    return true;
}

bool WriteBytes(Channel& channel, const BYTE* buffer, DWORD count)
{
    if (channel.file == nullptr) {
        channel.memory.append(reinterpret_cast<const char*>(buffer), count);
        return true;
    }
    for (DWORD written = 0; count > 0; buffer += written, count -= written) {
        if (!WriteFile(channel.file, buffer, count, &written, nullptr) || written == 0)
            return false;
    }
    return true;
}

// The control makes one line break of a CR that ends a block and another of the LF that starts
// the next, so a CR at the end of a block waits for the next one; the stream's last byte goes
// over as it is.
DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    Channel& channel = *reinterpret_cast<Channel*>(cookie);
    DWORD filled = 0;
    DWORD read = 0;
    *transferred = 0;
    if (channel.carriageReturnHeld && count > 0) {
        buffer[filled++] = '\r';
        channel.carriageReturnHeld = false;
    }
    if (!ReadBytes(channel, buffer + filled, static_cast<DWORD>(count) - filled, read)) {
        channel.error = LastErrorOr(ERROR_READ_FAULT);
        return stopStreaming;
    }
    filled += read;
    if (read > 0 && filled > 1 && buffer[filled - 1] == '\r') {
        channel.carriageReturnHeld = true;
        --filled;
    }
    channel.bytes += filled;
    *transferred = static_cast<LONG>(filled);
    return 0;
}

DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    Channel& channel = *reinterpret_cast<Channel*>(cookie);
    *transferred = 0;
    if (!WriteBytes(channel, buffer, static_cast<DWORD>(count))) {
        channel.error = LastErrorOr(ERROR_WRITE_FAULT);
        return stopStreaming;
    }
    channel.bytes += static_cast<DWORD>(count);
    *transferred = count;
    return 0;
}

// Streams between the control and the channel: 0, or a system error code. The control's own
// codes (for a stream that is no rich text) are none and give ERROR_INVALID_DATA; a stream of no
// bytes at all (an empty file, an empty control as plain text) gives ERROR_HANDLE_EOF.
DWORD Stream(HWND window, UINT message, WPARAM format, Channel& channel)
{
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&channel), 0,
                      message == EM_STREAMIN ? ReadCallback : WriteCallback};
    SendMessageA(window, message, format, reinterpret_cast<LPARAM>(&stream));
    if (channel.error != 0)
        return channel.error;
    if (stream.dwError != 0)
        return ERROR_INVALID_DATA;
    return channel.bytes > 0 ? 0 : ERROR_HANDLE_EOF;
}

// The format in which the control gives back all it holds.
WPARAM ContentsFormat(HWND window)
{
    return (SendMessageA(window, EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT) != 0 ? plainTextFormat : richTextFormat;
}

int32_t StreamFileIntoControl(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    Channel source;
    source.file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (source.file == INVALID_HANDLE_VALUE)
        return static_cast<int32_t>(GetLastError());
    Channel previous;
    WPARAM previousFormat = ContentsFormat(window);
    BOOL modified = SendMessageA(window, EM_GETMODIFY, 0, 0) != 0;
    Stream(window, EM_STREAMOUT, previousFormat, previous);
    DWORD code = Stream(window, EM_STREAMIN, format, source);
    CloseHandle(source.file);
    if (code != 0)
        Stream(window, EM_STREAMIN, previousFormat, previous);
    SendMessageA(window, EM_SETMODIFY, code != 0 ? modified : FALSE, 0);
    return static_cast<int32_t>(code);
}

// A new, empty file in the folder of fileName, under a name of its own (into temporary), so that
// putting it in place later is a rename on the same volume.
HANDLE CreateFileBeside(const char* fileName, std::string& temporary)
{
    std::string folder(fileName);
    folder.erase(folder.find_last_of("\\/:") + 1);   // a bare name: the current folder
    DWORD unique = GetTickCount() ^ (GetCurrentThreadId() << 12);
    for (int attempt = 0; attempt < namesToTry; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, "~kb%05lx.tmp", (unique + attempt) & 0xFFFFFul);
        temporary = folder + name;
        HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// 0 when the file may be written or does not exist yet, otherwise the system's code (read-only,
// a folder, in use). Asked before anything is written, so that such a file is refused as its
// creation was, whatever a rename would do with it.
DWORD CheckWritable(const char* fileName)
{
    HANDLE file = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
    CloseHandle(file);
    return 0;
}

int32_t StreamControlIntoFile(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    if (DWORD code = CheckWritable(fileName))
        return static_cast<int32_t>(code);
    std::string temporary;
    Channel target;
    target.file = CreateFileBeside(fileName, temporary);
    if (target.file == INVALID_HANDLE_VALUE)
        return static_cast<int32_t>(GetLastError());
    DWORD code = Stream(window, EM_STREAMOUT, format, target);
    if (code == 0 && !FlushFileBuffers(target.file))
        code = LastErrorOr(ERROR_WRITE_FAULT);
    if (!CloseHandle(target.file) && code == 0)
        code = LastErrorOr(ERROR_WRITE_FAULT);
    if (code == 0 && !MoveFileExA(temporary.c_str(), fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = LastErrorOr(ERROR_WRITE_FAULT);
    if (code != 0) {
        DeleteFileA(temporary.c_str());
        return static_cast<int32_t>(code);
    }
    SendMessageA(window, EM_SETMODIFY, FALSE, 0);
    return 0;
}

}  // namespace

// A plain edit control knows neither EM_GETOPTIONS nor EM_GETTEXTMODE and answers 0 to both.
// A rich edit control created without option styles also answers 0 to EM_GETOPTIONS, but
// always names its text mode. A control of another program is none of ours: the stream record
// and its callbacks are addresses in this process, which that program would call into.
bool IsRichEditControl(HWND window)
{
    DWORD process = 0;
    return GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId() &&
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
