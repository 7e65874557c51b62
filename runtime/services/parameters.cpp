// Command-line parameters and short file names.
//
// The paths start in buffers of 292 characters; a path that does not fit is asked for again with
// the size the system reports, so a long path comes back whole instead of cut or refused.
#include "services/parameters.h"

#include <windows.h>

#include <vector>

#include "kernel/runtime_state.h"
#include "services/runtime_errors.h"

namespace {

constexpr DWORD pathCapacity = 292;
constexpr DWORD longestPath = 32768;   // the system's limit for any path

// The path of the program file, however long it is; "" when the system gives none.
std::vector<char> ModuleFileName()
{
    for (DWORD capacity = pathCapacity; capacity <= longestPath * 2; capacity *= 2) {
        std::vector<char> buffer(capacity + 1, 0);
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), capacity);
        if (length < capacity) {   // a cut path comes back with the length of the capacity
            buffer[length] = 0;
            return buffer;
        }
    }
    return std::vector<char>(1, 0);
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
    if (index == 0) {
        std::vector<char> module = ModuleFileName();
        return AskForPath(module.data(), [](const char* path, char* buffer, DWORD capacity) {
            return GetFullPathNameA(path, capacity, buffer, nullptr);
        });
    }
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
