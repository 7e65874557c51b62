// The rich edit control streams its contents through EM_STREAMIN and EM_STREAMOUT, calling back
// for each block. Every transfer runs between the control and memory: a load has read the whole
// file before it touches the control, a save has the whole new contents before it opens the file.
// A load keeps a copy of what the control held, in a form that keeps every character, and puts it
// back when the control refuses the new contents. A save writes over the file itself, so that the
// file keeps what belongs to it rather than to its name (see ReplaceFileContents).
#include "windows/rich_edit_streams.h"

#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

constexpr WPARAM richTextFormat = SF_RTF;
constexpr WPARAM plainTextFormat = SF_TEXT;
constexpr WPARAM unicodeTextFormat = SF_TEXT | SF_UNICODE;
// Rich text whose characters are written as UTF-8: the one form of it in which every version of
// the control gives back every character it holds.
constexpr WPARAM utf8RichTextFormat = (CP_UTF8 << 16) | SF_USECODEPAGE | SF_RTF;
constexpr DWORD stopStreaming = 1;
constexpr size_t fileBlock = 1 << 20;    // bytes per WriteFile
constexpr size_t probeBlock = 1 << 12;   // bytes per ReadFile beyond a file's size
constexpr int namesToTry = 16;           // for a name of its own beside a new file

// ---- Plain-text files: encoding and line ends ----

// How a plain-text file writes its text. A plain-text save uses the form of the file that the
// control was last loaded from; a control loaded from none (or from rich text) has the ANSI code
// page and CR LF.
enum class Encoding { ansi, utf8, utf16, utf16BigEndian };
enum class LineEnd { crLf, lf, cr };
struct TextForm {
    Encoding encoding = Encoding::ansi;
    LineEnd lineEnd = LineEnd::crLf;
};

const wchar_t* const lineEndTexts[] = {L"\r\n", L"\n", L"\r"};   // by LineEnd

struct ByteOrderMark {
    Encoding encoding;
    const char* bytes;
    size_t size;
};
const ByteOrderMark byteOrderMarks[] = {
    {Encoding::utf8, "\xEF\xBB\xBF", 3}, {Encoding::utf16, "\xFF\xFE", 2}, {Encoding::utf16BigEndian, "\xFE\xFF", 2}};

// The form is a property of the control's window: it goes with the window, and a control that
// has none has the default form. The property's name is an atom of its own, made once.
LPCSTR TextFormProperty()
{
    static const ATOM name = GlobalAddAtomA("Kinoblick.TextForm");
    return MAKEINTATOM(name);
}

constexpr UINT_PTR formPresent = 0x100;

TextForm TextFormOf(HWND window)
{
    UINT_PTR value = reinterpret_cast<UINT_PTR>(GetPropA(window, TextFormProperty()));
    TextForm form;
    if ((value & formPresent) != 0) {
        form.encoding = static_cast<Encoding>((value >> 4) & 0xF);
        form.lineEnd = static_cast<LineEnd>(value & 0xF);
    }
    return form;
}

void KeepTextForm(HWND window, const TextForm* form)   // none: the default form
{
    if (form == nullptr) {
        RemovePropA(window, TextFormProperty());
        return;
    }
    UINT_PTR value = formPresent | static_cast<UINT_PTR>(form->encoding) << 4 | static_cast<UINT_PTR>(form->lineEnd);
    SetPropA(window, TextFormProperty(), reinterpret_cast<HANDLE>(value));
}

// The file's text, by the byte order mark it starts with (the ANSI code page without one), and
// the encoding; false when its bytes are no text in that encoding.
bool DecodeText(const std::string& file, Encoding& encoding, std::wstring& text)
{
    size_t skip = 0;
    encoding = Encoding::ansi;
    for (const ByteOrderMark& mark : byteOrderMarks) {
        if (file.compare(0, mark.size, mark.bytes, mark.size) == 0) {
            encoding = mark.encoding;
            skip = mark.size;
            break;
        }
    }
    const char* bytes = file.data() + skip;
    size_t count = file.size() - skip;
    if (encoding == Encoding::utf16 || encoding == Encoding::utf16BigEndian) {
        if (count % 2 != 0)
            return false;
        text.resize(count / 2);
        std::memcpy(&text[0], bytes, count);
        if (encoding == Encoding::utf16BigEndian)
            std::for_each(text.begin(), text.end(), [](wchar_t& unit) { unit = static_cast<wchar_t>(unit << 8 | unit >> 8); });
        return true;
    }
    if (count > INT_MAX)
        throw std::bad_alloc();
    UINT codePage = encoding == Encoding::utf8 ? CP_UTF8 : CP_ACP;
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0);
    text.resize(static_cast<size_t>(length));
    return count == 0 ||
           (length > 0 && MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), &text[0], length) == length);
}

// The text in the encoding, after its byte order mark; false when a character has no form in it
// (the ANSI code page would put a look-alike or a question mark in its place).
bool EncodeText(const std::wstring& text, Encoding encoding, std::string& file)
{
    file.clear();
    for (const ByteOrderMark& mark : byteOrderMarks) {
        if (mark.encoding == encoding)
            file.assign(mark.bytes, mark.size);
    }
    if (encoding == Encoding::utf16 || encoding == Encoding::utf16BigEndian) {
        int firstShift = encoding == Encoding::utf16 ? 0 : 8;   // the low byte first, or the high one
        for (wchar_t unit : text) {
            file += static_cast<char>(unit >> firstShift);
            file += static_cast<char>(unit >> (8 - firstShift));
        }
        return true;
    }
    if (text.empty())
        return true;
    if (text.size() > INT_MAX / 4)
        throw std::bad_alloc();
    bool utf8 = encoding == Encoding::utf8;
    UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL replaced = FALSE;
    int count = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, flags, text.data(), count, nullptr, 0, nullptr, utf8 ? nullptr : &replaced);
    if (length <= 0 || replaced)
        return false;
    size_t start = file.size();
    file.resize(start + static_cast<size_t>(length));
    return WideCharToMultiByte(codePage, flags, text.data(), count, &file[start], length, nullptr, nullptr) == length;
}

// Writes every line end of the text (CR LF, a CR or an LF of its own) as `lineEnd`, and tells
// which kind came first (CR LF when there is none). A CR CR LF is two line ends.
LineEnd RewriteLineEnds(std::wstring& text, const wchar_t* lineEnd)
{
    std::wstring rewritten;
    rewritten.reserve(text.size());
    LineEnd first = LineEnd::crLf;
    bool seen = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') {
            rewritten += text[i];
            continue;
        }
        LineEnd kind = text[i] == L'\n' ? LineEnd::lf : (i + 1 < text.size() && text[i + 1] == L'\n' ? LineEnd::crLf : LineEnd::cr);
        i += kind == LineEnd::crLf ? 1 : 0;
        first = seen ? first : kind;
        seen = true;
        rewritten += lineEnd;
    }
    text.swap(rewritten);
    return first;
}

// ---- Streaming between the control and memory ----

struct MemoryStream {
    std::string bytes;      // read from position on, or appended to
    size_t position = 0;
    bool wide = false;      // UTF-16 text: blocks of whole units, and a CR LF never cut in two
    DWORD error = 0;        // the system's code of a failure on this side
};

// The control makes one line break of a CR that ends a block and another of the LF that starts
// the next, so a block of text never ends between the two.
DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    MemoryStream& stream = *reinterpret_cast<MemoryStream*>(cookie);
    size_t left = stream.bytes.size() - stream.position;
    size_t size = std::min(static_cast<size_t>(std::max<LONG>(count, 0)), left);
    const char* start = stream.bytes.data() + stream.position;
    if (stream.wide && size < left) {
        size &= ~static_cast<size_t>(1);
        if (size > 2 && start[size - 2] == '\r' && start[size - 1] == 0)
            size -= 2;
    }
    std::memcpy(buffer, start, size);
    stream.position += size;
    *transferred = static_cast<LONG>(size);
    return 0;
}

// Runs on the control's thread, inside the control: a failure to find memory stops the stream
// here rather than leave the callback as an exception.
DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* transferred)
{
    MemoryStream& stream = *reinterpret_cast<MemoryStream*>(cookie);
    *transferred = 0;
    try {
        stream.bytes.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(std::max<LONG>(count, 0)));
    } catch (const std::exception&) {
        stream.error = ERROR_NOT_ENOUGH_MEMORY;
        return stopStreaming;
    }
    *transferred = count;
    return 0;
}

// 0, or a system error code. The control's own codes (for a stream that is no rich text) are
// none and give ERROR_INVALID_DATA; a stream of no bytes at all gives ERROR_HANDLE_EOF.
DWORD Stream(HWND window, UINT message, WPARAM format, MemoryStream& stream)
{
    stream.wide = (format & SF_UNICODE) != 0;
    EDITSTREAM record{reinterpret_cast<DWORD_PTR>(&stream), 0, message == EM_STREAMIN ? ReadCallback : WriteCallback};
    SendMessageA(window, message, format, reinterpret_cast<LPARAM>(&record));
    if (stream.error != 0)
        return stream.error;
    if (record.dwError != 0)
        return ERROR_INVALID_DATA;
    bool moved = message == EM_STREAMIN ? stream.position > 0 : !stream.bytes.empty();
    return moved ? 0 : ERROR_HANDLE_EOF;
}

// ---- Files ----

DWORD LastErrorOr(DWORD fallback)
{
    DWORD code = GetLastError();
    return code != 0 ? code : fallback;
}

struct OpenFile {   // closed when it goes
    HANDLE handle;
    explicit OpenFile(HANDLE opened) : handle(opened) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// From the file's current position to its end: what its size promises in one block, then until
// a read gives nothing (a file may still grow, a device says no size).
DWORD ReadToEnd(HANDLE file, std::string& bytes)
{
    LARGE_INTEGER size{};
    size_t expected = 0;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        if (static_cast<uint64_t>(size.QuadPart) > bytes.max_size() - probeBlock)
            return ERROR_NOT_ENOUGH_MEMORY;
        expected = static_cast<size_t>(size.QuadPart);
    }
    bytes.reserve(expected + probeBlock);
    for (DWORD read = 1; read > 0;) {
        size_t held = bytes.size();
        bytes.resize(held + std::min<size_t>(held < expected ? expected - held : probeBlock, MAXDWORD));
        read = 0;
        BOOL done = ReadFile(file, &bytes[held], static_cast<DWORD>(bytes.size() - held), &read, nullptr);
        bytes.resize(held + read);
        if (!done)
            return LastErrorOr(ERROR_READ_FAULT);
    }
    return 0;
}

DWORD ReadWholeFile(const char* fileName, std::string& bytes)
{
    OpenFile file(CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    return ReadToEnd(file.handle, bytes);
}

// Writes count bytes at the file's current position; written counts those that got there.
DWORD WriteAll(HANDLE file, const char* bytes, size_t count, size_t& written)
{
    for (written = 0; written < count;) {
        DWORD done = 0;
        if (!WriteFile(file, bytes + written, static_cast<DWORD>(std::min(count - written, fileBlock)), &done, nullptr))
            return LastErrorOr(ERROR_WRITE_FAULT);
        if (done == 0)
            return ERROR_WRITE_FAULT;
        written += done;
    }
    return 0;
}

bool MoveTo(HANDLE file, size_t offset)
{
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

DWORD WriteAt(HANDLE file, size_t offset, const char* bytes, size_t count, size_t& written)
{
    written = 0;
    return MoveTo(file, offset) ? WriteAll(file, bytes, count, written) : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD EndAt(HANDLE file, size_t size)
{
    return MoveTo(file, size) && SetEndOfFile(file) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD Flush(HANDLE file)
{
    return FlushFileBuffers(file) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// The old contents are overwritten only once the file system has found room for all of the new
// ones: a file that grows first gets the new contents' tail behind its old end, really written
// and flushed (moving the end alone would reserve nothing: the file would only have a hole, and a
// full disk would fail the writes in the middle of the old contents). A full disk fails there,
// and the file is cut back to its old size. Then the new contents go over the old from the start
// and the end is set. What fails after that (a failing device, a flush) puts the old bytes back
// over the ones overwritten, which needs no new room, and sets the old end.
DWORD Overwrite(HANDLE file, const std::string& old, const std::string& contents)
{
    size_t written = 0;
    if (contents.size() > old.size()) {
        DWORD code = WriteAt(file, old.size(), contents.data() + old.size(), contents.size() - old.size(), written);
        if (code == 0)
            code = Flush(file);
        if (code != 0) {
            EndAt(file, old.size());
            return code;
        }
    }
    size_t overlap = std::min(old.size(), contents.size());
    DWORD code = WriteAt(file, 0, contents.data(), overlap, written);
    if (code == 0)
        code = Flush(file);
    if (code == 0 && contents.size() < old.size() && (code = EndAt(file, contents.size())) == 0)
        code = Flush(file);
    if (code != 0) {
        size_t restored = 0;
        WriteAt(file, 0, old.data(), written, restored);
        EndAt(file, old.size());
        Flush(file);
    }
    return code;
}

// A new, empty file beside fileName under a name of its own (into name) that the system removes
// when its last handle closes, also when the program ends.
HANDLE CreateDraftBeside(const char* fileName, std::string& name)
{
    std::string folder(fileName);
    folder.erase(folder.find_last_of("\\/:") + 1);   // a bare name: the current folder
    DWORD unique = GetTickCount() ^ GetCurrentProcessId() << 16 ^ GetCurrentThreadId();
    for (int attempt = 0; attempt < namesToTry; ++attempt) {
        char own[24];
        std::snprintf(own, sizeof own, "~kb%08lx.tmp", static_cast<unsigned long>(unique + attempt));
        name = folder + own;
        HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// A new file appears under its name only whole, and nothing stays when the save fails or the program
// ends before it is done: the file is written under a name of its own beside it, which the system
// removes, and then gets its name as a second link. Where that cannot be (a name too long for another
// beside it, a file system without links), it is written under its name, marked for deletion until
// its contents are written.
DWORD WriteNewFile(const char* fileName, const std::string& contents)
{
    std::string draftName;
    OpenFile draft(CreateDraftBeside(fileName, draftName));
    size_t written = 0;
    if (draft.handle != INVALID_HANDLE_VALUE) {
        DWORD code = WriteAll(draft.handle, contents.data(), contents.size(), written);
        if (code == 0)
            code = Flush(draft.handle);
        if (code != 0 || CreateHardLinkA(fileName, draftName.c_str(), nullptr))
            return code;
        if (GetLastError() == ERROR_ALREADY_EXISTS)   // made by someone else meanwhile
            return ERROR_ALREADY_EXISTS;
    }
    OpenFile file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    FILE_DISPOSITION_INFO disposition{TRUE};
    bool marked = SetFileInformationByHandle(file.handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
    DWORD code = WriteAll(file.handle, contents.data(), contents.size(), written);
    if (code == 0)
        code = Flush(file.handle);
    disposition.DeleteFile = FALSE;
    if (code == 0 && marked && !SetFileInformationByHandle(file.handle, FileDispositionInfo, &disposition, sizeof disposition))
        code = LastErrorOr(ERROR_WRITE_FAULT);
    if (code != 0 && !marked) {
        CloseHandle(file.handle);
        file.handle = INVALID_HANDLE_VALUE;
        DeleteFileA(fileName);
    }
    return code;
}

// The file's contents become `contents`; the file itself stays: its owner, rights, attributes and
// other names, and through a link the file it points at. A device (NUL) has no contents to keep
// and is written as it is. Nobody else may write the file meanwhile; others may read it.
DWORD ReplaceFileContents(const char* fileName, const std::string& contents)
{
    OpenFile file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? WriteNewFile(fileName, contents) : GetLastError();
    size_t written = 0;
    if (GetFileType(file.handle) != FILE_TYPE_DISK)
        return WriteAll(file.handle, contents.data(), contents.size(), written);
    std::string old;
    if (DWORD code = ReadToEnd(file.handle, old))
        return code;
    return Overwrite(file.handle, old, contents);
}

// ---- The operations ----

bool InPlainTextMode(HWND window)
{
    return (SendMessageA(window, EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT) != 0;
}

// The file as the control takes it: rich text as it is; plain text as UTF-16 with a CR for each
// line end, and the form to save it in again.
DWORD ReadForControl(const char* fileName, WPARAM format, MemoryStream& source, TextForm& form)
{
    if (DWORD code = ReadWholeFile(fileName, source.bytes))
        return code;
    if (format == plainTextFormat) {
        std::wstring text;
        if (!DecodeText(source.bytes, form.encoding, text))
            return ERROR_NO_UNICODE_TRANSLATION;
        form.lineEnd = RewriteLineEnds(text, L"\r");
        source.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    return source.bytes.empty() ? ERROR_HANDLE_EOF : 0;
}

// Nothing touches the control before the file is read and the copy of the old contents is made;
// either failing leaves the control as it was.
DWORD LoadControl(HWND window, const char* fileName, WPARAM format)
{
    MemoryStream source;
    TextForm form;
    if (DWORD code = ReadForControl(fileName, format, source, form))
        return code;
    MemoryStream previous;
    WPARAM previousFormat = InPlainTextMode(window) ? unicodeTextFormat : utf8RichTextFormat;
    DWORD copied = Stream(window, EM_STREAMOUT, previousFormat, previous);
    if (copied != 0 && copied != ERROR_HANDLE_EOF)
        return copied;
    BOOL modified = SendMessageA(window, EM_GETMODIFY, 0, 0) != 0;
    DWORD code = Stream(window, EM_STREAMIN, format == plainTextFormat ? unicodeTextFormat : richTextFormat, source);
    if (code != 0) {
        Stream(window, EM_STREAMIN, previousFormat, previous);
        SendMessageA(window, EM_SETMODIFY, modified, 0);
        return code;
    }
    KeepTextForm(window, format == plainTextFormat ? &form : nullptr);
    SendMessageA(window, EM_SETMODIFY, FALSE, 0);
    return 0;
}

// What a save writes: the plain text in the control's form, or the rich text in its usual form,
// unless the text holds a character beyond the ANSI code page: some versions of the control write a
// look-alike letter in its place there, so such a text goes in the UTF-8 form.
DWORD SavedContents(HWND window, WPARAM format, std::string& contents)
{
    MemoryStream out;
    DWORD code = Stream(window, EM_STREAMOUT, unicodeTextFormat, out);
    if (code != 0 && (format == plainTextFormat || code != ERROR_HANDLE_EOF))
        return code;
    std::wstring text(out.bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(&text[0], out.bytes.data(), text.size() * sizeof(wchar_t));
    std::string().swap(out.bytes);
    if (format == richTextFormat) {
        WPARAM richForm = EncodeText(text, Encoding::ansi, contents) ? richTextFormat : utf8RichTextFormat;
        code = Stream(window, EM_STREAMOUT, richForm, out);
        contents.swap(out.bytes);
        return code;
    }
    TextForm form = TextFormOf(window);
    RewriteLineEnds(text, lineEndTexts[static_cast<int>(form.lineEnd)]);
    return EncodeText(text, form.encoding, contents) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
}

// A copy of the file or of the control's contents that finds no memory fails the operation
// before it has changed anything.
int32_t StreamFileIntoControl(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    try {
        return static_cast<int32_t>(LoadControl(window, fileName, format));
    } catch (const std::exception&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

int32_t StreamControlIntoFile(HWND window, const char* fileName, WPARAM format)
{
    if (!IsRichEditControl(window))
        return ERROR_INVALID_PARAMETER;
    try {
        std::string contents;
        DWORD code = SavedContents(window, format, contents);
        if (code == 0)
            code = ReplaceFileContents(fileName, contents);
        if (code != 0)
            return static_cast<int32_t>(code);
    } catch (const std::exception&) {
        return ERROR_NOT_ENOUGH_MEMORY;
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
