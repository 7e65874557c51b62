// Kinoblick.exe: the program thread synchronises with the GUI thread and runs the player.
#include "kernel/program_thread.h"
#include "kernel/startup.h"
#include "player/player.h"

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    return RunPlayer();
}
