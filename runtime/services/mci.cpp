// The MCI command facility: the command goes to the system unchanged, the reply comes back as a
// string, and the error code of the last command is kept for the program to look at.
#include "services/mci.h"

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/system_libraries.h"

namespace {

constexpr UINT replyCapacity = 128;      // offered to MCI: at most 127 characters come back
constexpr size_t replyBlockSize = 132;   // with room to spare behind the capacity

MciSender mciSender;   // null: the system's, loaded with the first command

}  // namespace

void SetMciSender(MciSender sender)
{
    mciSender = sender;
}

RtString SendMciCommand(RtString command)
{
    ProgramThreadSafePoint();
    char reply[replyBlockSize] = {};
    static const MciSender system = SystemFunction<MciSender>("winmm.dll", "mciSendStringA");
    MciSender send = mciSender != nullptr ? mciSender : system;
    MCIERROR result = send != nullptr ? send(command.Text(), reply, replyCapacity, nullptr) : MCIERR_CANNOT_LOAD_DRIVER;
    ProgramThreadSafePoint();   // not inside the device's locks when the program has to end
    StoreInterlocked(runtime.lastMciError, static_cast<LONG>(result & 0xFFFF));
    reply[replyCapacity - 1] = 0;   // a device that fills the whole capacity still ends here
    return RtString(reply);
}
