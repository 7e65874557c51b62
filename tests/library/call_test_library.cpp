// A library for the library-call tests: exports with both calling conventions, a call counter
// that starts again whenever the library is loaded anew, and a way back into the caller.
#include <windows.h>

#include <cstdarg>

static LONG callCount = 0;

extern "C" {

// The number of calls since this library was loaded, this one included.
__declspec(dllexport) LONG __stdcall CountCall() { return InterlockedIncrement(&callCount); }

// Callee-cleans: the order of the arguments shows in the result.
__declspec(dllexport) LONG __stdcall WeighStd(LONG a, LONG b, LONG c, LONG d, LONG e, LONG f, LONG g,
                                              LONG h, LONG i, LONG j)
{
    return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f + 7 * g + 8 * h + 9 * i + 10 * j;
}

// Caller-cleans, with any number of arguments after the count: their order shows in the result.
__declspec(dllexport) LONG __cdecl WeighCdecl(LONG count, ...)
{
    va_list arguments;
    va_start(arguments, count);
    LONG sum = 0;
    for (LONG i = 1; i <= count; ++i)
        sum += i * va_arg(arguments, LONG);
    va_end(arguments);
    return sum;
}

__declspec(dllexport) DWORD __stdcall CallingThread() { return GetCurrentThreadId(); }

// Calls back into the caller on the thread that made this call.
__declspec(dllexport) LONG __stdcall CallBack(LONG(__stdcall* function)(LONG), LONG argument) { return function(argument); }

}  // extern "C"
