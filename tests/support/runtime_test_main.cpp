#include "support/runtime_test.h"

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"

__attribute__((weak)) void PrepareRuntimeTests()
{
}

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    PrepareRuntimeTests();
    int failures = RUN_ALL_TESTS() == 0 ? 0 : testing::UnitTest::GetInstance()->failed_test_count();
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, static_cast<WPARAM>(failures), 0);
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
