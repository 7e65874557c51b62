// Command-line parameters and short file names.
//
// The paths start in buffers of 292 characters; a path that does not fit is asked for again with
// the size the system reports, so a long path comes back whole instead of cut.
#include "services/parameters.h"

#include <windows.h>

#include <string>
#include <vector>

#include "kernel/runtime_state.h"
#include "services/runtime_errors.h"

namespace {

constexpr DWORD pathCapacity = 292;
constexpr DWORD longestPath = 32768;   // the system's limit for any path

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
    int size = WideCharToMultiByte(CP_ACP, 0, full.data(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::vector<char> text(static_cast<size_t>(size) + 1, 0);
    WideCharToMultiByte(CP_ACP, 0, full.data(), static_cast<int>(length), text.data(), size, nullptr, nullptr);
    return RtString::ConstructFromRange(text.data(), 0, static_cast<uint32_t>(size));
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

RtString ShortPathName(RtString path)
{
    return AskForPath(path.Text(), [](const char* longPath, char* buffer, DWORD capacity) {
        return GetShortPathNameA(longPath, buffer, capacity);
    });
}
