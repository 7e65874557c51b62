// Command-line parameters and short file names.
//
// The paths start in buffers of 292 characters; a path that does not fit is asked for again with
// the size the system reports, so a long path comes back whole instead of cut.
//
// The words are ANSI texts. A word with characters the ANSI code page lacks reaches the program
// with "?" or a look-alike in their place; the wide command line still has it as typed, and its
// short form (8.3 names are ASCII) is a path the ANSI functions can open.
#include "services/parameters.h"

#include <windows.h>

#include <string>
#include <vector>

#include "kernel/runtime_state.h"
#include "services/runtime_errors.h"
#include "values/command_line.h"

namespace {

constexpr DWORD pathCapacity = 292;
constexpr DWORD longestPath = 32768;   // the system's limit for any path

// The ANSI form of a wide text as the system makes it for the command line (a look-alike or "?"
// for a character the code page lacks), or, strict, with "?" for each such character; false when
// the strict form lost one.
bool ToAnsi(const std::wstring& wide, bool strict, RtString& ansi)
{
    BOOL lost = FALSE;
    BOOL* lostFlag = strict ? &lost : nullptr;
    DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
    int length = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, lostFlag);
    std::vector<char> text(static_cast<size_t>(size) + 1, 0);
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, text.data(), size, nullptr, lostFlag);
    ansi = RtString::ConstructFromRange(text.data(), 0, static_cast<uint32_t>(size));
    return !lost;
}

// The program file's full path, however long: the wide calls take any length, where the narrow
// GetFullPathNameA refuses a path longer than MAX_PATH under Wine. "" when the system gives none.
RtString ProgramFullPath()
{
    std::wstring module;
    for (DWORD capacity = pathCapacity; module.empty() && capacity <= longestPath * 2; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        DWORD length = GetModuleFileNameW(nullptr, &buffer[0], capacity);
        if (length == 0)
            return RtString();
        if (length < capacity)   // a cut path comes back with the length of the capacity
            module.assign(buffer, 0, length);
    }
    std::wstring full(GetFullPathNameW(module.c_str(), 0, nullptr, nullptr) + 1, L'\0');
    DWORD length = GetFullPathNameW(module.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (module.empty() || length == 0 || length >= full.size())
        return RtString();
    RtString path;
    ToAnsi(full.substr(0, length), false, path);
    return path;
}

// Calls a path function of the form f(path, buffer, capacity) -> length: first with the usual
// capacity, then once more with the capacity it asked for. "" when the system has no answer.
template <typename PathFunction>
RtString AskForPath(const char* path, PathFunction function)
{
    DWORD capacity = pathCapacity;
    std::vector<char> buffer(capacity + 4, 0);
    DWORD length = function(path, buffer.data(), capacity);
    if (length >= capacity && length <= longestPath) {
        capacity = length;
        buffer.assign(capacity + 4, 0);
        length = function(path, buffer.data(), capacity);
    }
    if (length == 0 || length >= capacity)
        return RtString();
    return RtString::ConstructFromRange(buffer.data(), 0, length);
}

// Word index of the wide command line, split by the rules of the ANSI words; "" beyond its words.
std::wstring WideWord(int32_t index)
{
    std::vector<std::wstring> words;
    ForEachCommandLineWord(GetCommandLineW(), [&words](const wchar_t* start, const wchar_t* end) {
        words.emplace_back(start, end);
    });
    return index >= 0 && static_cast<size_t>(index) < words.size() ? words[static_cast<size_t>(index)] : L"";
}

}  // namespace

RtString GetParameter(int32_t index)
{
    if (index > runtime.parameterCount) {
        RuntimeError(208, nullptr);
        return RtString();
    }
    if (index == 0)
        return ProgramFullPath();
    if (index < 0 || static_cast<size_t>(index) >= runtime.parameters.size())
        return RtString();
    return runtime.parameters[static_cast<size_t>(index)];
}

std::wstring ParameterAsTyped(int32_t index)
{
    if (index < 1 || index > runtime.parameterCount || static_cast<size_t>(index) >= runtime.parameters.size())
        return L"";
    std::wstring typed = WideWord(index);
    RtString ansi;
    // Only the same word: characters that become a blank or a quote split the two lines apart.
    ToAnsi(typed, false, ansi);
    if (!ansi.Equals(runtime.parameters[static_cast<size_t>(index)]) || ToAnsi(typed, true, ansi))
        return L"";
    return typed;
}

RtString ParameterShortPath(int32_t index)
{
    std::wstring typed = ParameterAsTyped(index);
    if (typed.empty())
        return ShortPathName(GetParameter(index));
    std::wstring shortPath(GetShortPathNameW(typed.c_str(), nullptr, 0) + 1, L'\0');
    DWORD length = GetShortPathNameW(typed.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    RtString ansi;
    if (length == 0 || length >= shortPath.size() || !ToAnsi(shortPath.substr(0, length), true, ansi))
        return RtString();
    return ansi;
}

RtString ShortPathName(RtString path)
{
    return AskForPath(path.Text(), [](const char* longPath, char* buffer, DWORD capacity) {
        return GetShortPathNameA(longPath, buffer, capacity);
    });
}
