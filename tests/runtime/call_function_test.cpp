// CallFunctionRequest on the real runtime: functions at run-time addresses with 0, 1 and 36
// arguments, both calling conventions, synchronous and posted, with the GUI thread's stack
// intact afterwards.
#include <vector>

#include "kernel/program_thread.h"
#include "support/runtime_test.h"

namespace {

constexpr int repetitions = 300;

// What the callees saw: stack pointer on entry, thread, and whether every argument was the one
// expected at its position.
volatile DWORD calleeStack;
volatile DWORD calleeThread;
volatile LONG argumentsInOrder;

DWORD ExpectedArgument(int position)
{
    return 0x01010101u * static_cast<DWORD>(position + 1) ^ 0x5A000000u;
}

inline DWORD StackPointer()
{
    DWORD esp;
    asm volatile("movl %%esp, %0" : "=r"(esp));
    return esp;
}

void Record(const DWORD* arguments, int count)
{
    bool inOrder = true;
    for (int i = 0; i < count; ++i)
        inOrder = inOrder && arguments[i] == ExpectedArgument(i);
    argumentsInOrder = inOrder ? 1 : 0;
    calleeThread = GetCurrentThreadId();
}

// The result tells the conventions apart and carries the argument count.
int32_t ResultFor(int count, bool stdcall)
{
    return (stdcall ? 0x5000 : 0xC000) + count;
}

int32_t __stdcall StdcallNone()
{
    calleeStack = StackPointer();
    Record(nullptr, 0);
    return ResultFor(0, true);
}

int32_t __cdecl CdeclNone()
{
    calleeStack = StackPointer();
    Record(nullptr, 0);
    return ResultFor(0, false);
}

int32_t __stdcall StdcallOne(DWORD a)
{
    calleeStack = StackPointer();
    Record(&a, 1);
    return ResultFor(1, true);
}

int32_t __cdecl CdeclOne(DWORD a)
{
    calleeStack = StackPointer();
    Record(&a, 1);
    return ResultFor(1, false);
}

#define PARAMETERS_36                                                                            \
    DWORD a0, DWORD a1, DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, DWORD a8,   \
        DWORD a9, DWORD a10, DWORD a11, DWORD a12, DWORD a13, DWORD a14, DWORD a15, DWORD a16,  \
        DWORD a17, DWORD a18, DWORD a19, DWORD a20, DWORD a21, DWORD a22, DWORD a23, DWORD a24, \
        DWORD a25, DWORD a26, DWORD a27, DWORD a28, DWORD a29, DWORD a30, DWORD a31, DWORD a32, \
        DWORD a33, DWORD a34, DWORD a35
#define ARGUMENTS_36                                                                              \
    {a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, a18, a19, \
     a20, a21, a22, a23, a24, a25, a26, a27, a28, a29, a30, a31, a32, a33, a34, a35}

int32_t __stdcall StdcallMany(PARAMETERS_36)
{
    calleeStack = StackPointer();
    const DWORD arguments[] = ARGUMENTS_36;
    Record(arguments, 36);
    return ResultFor(36, true);
}

int32_t __cdecl CdeclMany(PARAMETERS_36)
{
    calleeStack = StackPointer();
    const DWORD arguments[] = ARGUMENTS_36;
    Record(arguments, 36);
    return ResultFor(36, false);
}

struct Callee {
    const char* name;
    const void* function;
    int count;
    bool stdcall;
};

const Callee callees[] = {
    {"stdcall 0", reinterpret_cast<const void*>(StdcallNone), 0, true},
    {"cdecl 0", reinterpret_cast<const void*>(CdeclNone), 0, false},
    {"stdcall 1", reinterpret_cast<const void*>(StdcallOne), 1, true},
    {"cdecl 1", reinterpret_cast<const void*>(CdeclOne), 1, false},
    {"stdcall 36", reinterpret_cast<const void*>(StdcallMany), 36, true},
    {"cdecl 36", reinterpret_cast<const void*>(CdeclMany), 36, false},
};

void FillArguments()
{
    for (int i = 0; i < callArgumentCapacity; ++i)
        runtime.callArguments[i] = ExpectedArgument(i);
}

int32_t CallSynchronously(const Callee& callee)
{
    CallFunctionRequest block{callee.function, callee.count, -1};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
    return block.result;
}

int32_t CallPosted(const Callee& callee)
{
    CallFunctionRequest block{callee.function, callee.count, -1};
    PostGuiRequest(CallFunctionOpcode, &block);
    return block.result;
}

// Every callee, many times in a row, one way of calling: results, arguments, thread, and the
// callee's stack pointer, which must be the same for every call made the same way.
void CallEveryCalleeRepeatedly(int32_t (*call)(const Callee&), const char* way)
{
    FillArguments();
    for (const Callee& callee : callees) {
        std::vector<DWORD> stacks;
        for (int pass = 0; pass < repetitions; ++pass) {
            argumentsInOrder = 0;
            calleeThread = 0;
            int32_t result = call(callee);
            ASSERT_EQ(result, ResultFor(callee.count, callee.stdcall)) << way << ' ' << callee.name << " pass " << pass;
            ASSERT_EQ(argumentsInOrder, 1) << way << ' ' << callee.name << " pass " << pass;
            ASSERT_EQ(calleeThread, runtime.guiThreadId) << way << ' ' << callee.name;
            stacks.push_back(static_cast<DWORD>(calleeStack));
        }
        for (DWORD stack : stacks)
            ASSERT_EQ(stack, stacks.front()) << way << ' ' << callee.name << ": the GUI thread's stack moved";
    }
}

TEST(CallFunctionRequest, SynchronousCallsPassEveryArgumentInOrder)
{
    CallEveryCalleeRepeatedly(CallSynchronously, "sent");
}

TEST(CallFunctionRequest, PostedCallsPassEveryArgumentInOrder)
{
    CallEveryCalleeRepeatedly(CallPosted, "posted");
}

TEST(CallFunctionRequest, OutOfRangeCountsAreClampedToTheArgumentArray)
{
    FillArguments();
    CallFunctionRequest tooMany{reinterpret_cast<const void*>(CdeclMany), callArgumentCapacity + 100, -1};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&tooMany));
    EXPECT_EQ(tooMany.result, ResultFor(36, false));
    EXPECT_EQ(argumentsInOrder, 1);
    CallFunctionRequest negative{reinterpret_cast<const void*>(CdeclNone), -5, -1};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&negative));
    EXPECT_EQ(negative.result, ResultFor(0, false));
}

TEST(CallFunctionRequest, TheGuiLoopKeepsWorkingAfterwards)
{
    FillArguments();
    for (int pass = 0; pass < repetitions; ++pass)
        CallSynchronously(callees[pass % 6]);
    StoreInterlocked(runtime.lastEvent.message, 0);
    PostThreadMessageA(runtime.guiThreadId, WM_USER + 33, 0, 0);
    GuiSleep(0);
    DWORD start = GetTickCount();
    while (runtime.lastEvent.message != WM_USER + 33 && GetTickCount() - start < 10000)
        GuiSleep(1);
    EXPECT_EQ(runtime.lastEvent.message, WM_USER + 33);
    EXPECT_EQ(CallSynchronously(callees[4]), ResultFor(36, true));
}

}  // namespace
