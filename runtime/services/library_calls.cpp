// Calls into exported functions of any library, always made on the GUI thread, and the message
// box command built on them.
//
// Names are held in strings of their own length: a library name or path of any length is looked
// up and loaded when the system can, and refused with error 247 when it cannot.
#include "services/library_calls.h"

#include <algorithm>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/system_libraries.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"

namespace {

// The last path component, cut behind the last "\" and then behind the last "/".
std::string ModuleName(const std::string& library)
{
    std::string name = library.substr(library.find_last_of('\\') + 1);
    return name.substr(name.find_last_of('/') + 1);
}

// The whole name, path included, with ".DLL" appended unless its fourth-last character is ".".
std::string LoadName(const std::string& library)
{
    size_t length = library.size();
    if (length < 4 || library[length - 4] != '.')
        return library + ".DLL";
    return library;
}

// The call itself, always on the GUI thread. From the program thread it is a synchronous request
// that reads the values from callArguments. On the GUI thread the values stay in the caller's
// own table, so a table the program thread has just filled for its next request is left alone,
// and the program thread is held at its next safe point meanwhile: it never stops inside a lock
// the called function might need, as it could if it were suspended wherever it stood.
int32_t CallOnGuiThread(FARPROC function, const DWORD* values, int32_t count)
{
    const void* address = reinterpret_cast<const void*>(function);
    if (GetCurrentThreadId() == runtime.guiThreadId) {
        HoldProgramThread(values);
        int32_t result = CallWithArguments(address, values, count);
        ReleaseProgramThread(values);
        return result;
    }
    std::copy(values, values + count, runtime.callArguments);
    CallFunctionRequest block{address, count, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
    return block.result;
}

std::wstring WideText(const RtString& text)
{
    int length = static_cast<int>(text.Length());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.Text(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.Text(), length, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

DWORD Address(const void* text)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(text));
}

// GUI thread: what a called function may expect the runtime to have set up.
int32_t __cdecl PrepareSystemLibraries(void*)
{
    PrepareCommonControls();
    PrepareCom();
    return 0;
}

}  // namespace

int32_t CallLibraryFunction(RtString library, RtString function, std::initializer_list<DWORD> values)
{
    if (values.size() > static_cast<size_t>(callArgumentCapacity)) {
        std::string detail = std::string(function.Text()) + " (max. 36 Werte)";
        RuntimeError(248, detail.c_str());
        return -1;
    }
    DWORD table[callArgumentCapacity] = {};
    std::copy(values.begin(), values.end(), table);
    int32_t count = static_cast<int32_t>(values.size());

    std::string libraryName = library.Text();
    HMODULE module = GetModuleHandleA(ModuleName(libraryName).c_str());
    bool loaded = false;
    if (module == nullptr) {
        module = LoadLibraryA(LoadName(libraryName).c_str());
        if (module == nullptr) {
            RuntimeError(247, library.Text());
            return -1;
        }
        loaded = true;
    }

    FARPROC address = GetProcAddress(module, function.Text());
    if (address == nullptr) {
        if (loaded)
            FreeLibrary(module);
        RuntimeError(248, function.Text());
        return -1;
    }

    if (CallMayNeedSystemLibraries(libraryName.c_str(), function.Text()))
        RunOnGuiThread(PrepareSystemLibraries, nullptr);
    int32_t result = CallOnGuiThread(address, table, count);
    if (loaded)
        FreeLibrary(module);
    return result;
}

int32_t ShowMessageBox(RtString text, RtString caption, DWORD style)
{
    int32_t result = CallLibraryFunction("USER32", "MessageBoxA",
                                         {Address(runtime.mainWindow), Address(text.Text()), Address(caption.Text()), style});
    runtime.dialogResult = result;
    return result;
}

// The ANSI texts become wide texts as MessageBoxA would make them, so the box looks the same; only
// the word shows the characters the code page lacks.
int32_t ShowMessageBoxNamingParameter(RtString text, int32_t index, RtString caption, DWORD style)
{
    std::wstring typed = ParameterAsTyped(index);
    if (typed.empty())
        return ShowMessageBox(text.Concat(GetParameter(index)), caption, style);
    std::wstring wideText = WideText(text) + typed;
    std::wstring wideCaption = WideText(caption);
    int32_t result = CallLibraryFunction("USER32", "MessageBoxW", {Address(runtime.mainWindow), Address(wideText.c_str()),
                                                                  Address(wideCaption.c_str()), style});
    runtime.dialogResult = result;
    return result;
}
