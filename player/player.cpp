// Kinoblick, the player program: reads the command line, opens the medium through MCI under the
// alias VIDEO, shows it in a topmost window that covers the screen and watches the playback
// every 20 ms until the medium ends (when played once) or Escape is pressed. Space pauses and
// resumes.
#include "player/player.h"

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "services/library_calls.h"
#include "services/mci.h"
#include "services/parameters.h"
#include "services/window_commands.h"
#include "values/program_objects.h"
#include "values/rt_string.h"
#include "values/string_functions.h"

namespace {

// Four characters per entry: a name ending in one of them opens as MPEGVIDEO.
const char mpegSuffixList[] = ".mpg|.mpe|.dat|mpeg|.mp3|mpg2|peg2|svcd";

const char usageText[] =
    "Kinoblick.exe P1 (P2) (P3)\r\r"
    "P1:\rPfad + Dateiname\r\r"
    "P2: (optional)\r1 = auf Vollbild skalieren\r0 = 100% Größe, zentrieren\r\r"
    "P3: (optional)\r1 = Endloswiederholung\r0 = einmal abspielen\r";
const char cannotPlayText[] = "Datei konnte nicht abgespielt werden:\r\r";

constexpr int32_t escapeKey = 27;
constexpr DWORD spaceKey = 0x20;

constexpr int32_t fitWholePicture = 2;   // P2: the whole picture inside the screen
// The display and the system are needed from the start of playback to its end, pauses included: a
// paused picture still fills the screen for whoever looks at it.
constexpr DWORD displayNeeded = ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED;
constexpr DWORD displayFree = ES_CONTINUOUS;

// The program's variables; fileNameText is one of the runtime's program objects.
int32_t scaleToScreen;   // 0: 100 %, centred; 2: the whole picture fits; other: the screen width
int32_t repeatEndless;   // nonzero: the medium starts again at its end
int32_t mpegSuffix;      // 1 when the name ends in a suffix of the MPEG list
int32_t isMpeg;          // 1 for an MPEG medium: by its suffix, or opened by the MPEG device
int32_t openResult;      // the device identifier; 0 when the open failed
int32_t videoLength;     // frames
double pictureWidth;     // the picture size the device reports
double pictureHeight;
double sourceWidth;      // the destination's size
double sourceHeight;
double destX;
double destY;
int32_t placedScreenWidth;    // the screen the destination was computed for
int32_t placedScreenHeight;
int32_t background;      // the colour around the picture
int32_t pauseLatch;      // 1 while the Space press that toggled pause is still held
int32_t pausedByPlayer;  // 1 from the player's PAUSE VIDEO until its next PLAY VIDEO
int32_t loopCondition;

double SourceField(int32_t fieldNumber)
{
    return ParseValue(ExtractField(SendMciCommand("WHERE VIDEO SOURCE"), fieldNumber, " ")).real;
}

// The destination rectangle in the main window: the picture scaled to the screen width, fitted
// whole inside the screen, or at its own size, centred. A device that reports no usable picture
// size gets the whole screen. A picture taller than wide is turned for the MPEG files by their
// suffix; a medium that the MPEG device opened on the second try keeps the size it reports, so a
// phone's portrait video stays upright.
void ComputeDestination()
{
    double screenWidth = placedScreenWidth = runtime.screenWidth;
    double screenHeight = placedScreenHeight = runtime.screenHeight;
    sourceWidth = pictureWidth;
    sourceHeight = pictureHeight;
    if (mpegSuffix == 1 && sourceHeight > sourceWidth) {
        sourceWidth = pictureHeight;
        sourceHeight = pictureWidth;
    }
    if (!(sourceWidth > 0.0 && sourceHeight > 0.0)) {
        sourceWidth = screenWidth;
        sourceHeight = screenHeight;
    }
    if (scaleToScreen == fitWholePicture && sourceWidth * screenHeight < sourceHeight * screenWidth) {
        sourceWidth = (screenHeight / sourceHeight) * sourceWidth;
        sourceHeight = screenHeight;
    } else if (scaleToScreen != 0) {
        sourceHeight = (screenWidth / sourceWidth) * sourceHeight;
        sourceWidth = screenWidth;
    }
    destX = (screenWidth - sourceWidth) * 0.5;
    destY = (screenHeight - sourceHeight) * 0.5;
}

RtString DestinationCommand()
{
    RtString command("PUT VIDEO DESTINATION AT ");
    command.AppendString(RtString::FromReal(destX)).AppendText(" ");
    command.AppendString(RtString::FromReal(destY)).AppendText(" ");
    command.AppendString(RtString::FromReal(sourceWidth)).AppendText(" ");
    return command.AppendString(RtString::FromReal(sourceHeight));
}

void ReadCommandLine()
{
    if (runtime.parameterCount == 0) {
        Value usage = ValueFromInteger(1);
        ShowNoticeAndEnd(1, &usage);
    }
    if (runtime.parameterCount >= 1)
        fileNameText = GetParameter(1);
    if (runtime.parameterCount >= 2)
        scaleToScreen = ParseInteger(GetParameter(2));
    if (runtime.parameterCount >= 3)
        repeatEndless = ParseInteger(GetParameter(3));
    if (FindSubstring(ToLowerCase(TakeRight(fileNameText, 4)), mpegSuffixList) > 0) {
        mpegSuffix = 1;
        isMpeg = 1;
    }
}

void PrepareWindow()
{
    SetWindowStyleFlags(0x70);
    SetMainWindowGeometry(0, 0, runtime.screenWidth, runtime.screenHeight);
    SetWindowTitle("Kinoblick");
    PlaceWindow(runtime.mainWindow, 0, 0, runtime.screenWidth, runtime.screenHeight, -1);
    SetTrueColorMode(1);
}

// Opens the medium under the alias VIDEO; the device identifier, 0 when the open failed. A name
// outside the MPEG list that the AVI device cannot open (MP4, MKV, WebM, an AVI with a codec the
// AVI device lacks) gets one more try with the MPEG device, which decodes far more kinds; when
// that succeeds the medium is an MPEG medium from then on. A missing file (no short path) gets
// no second try: no device can play it, and an open without a file name must not succeed. A name
// with characters the ANSI code page lacks opens by its short form.
int32_t OpenMedium()
{
    RtString shortPath = ParameterShortPath(1);
    int32_t device = ParseInteger(SendMciCommand(OpenCommandText(shortPath, isMpeg)));
    if (device == 0 && isMpeg == 0 && shortPath.Length() > 0) {
        device = ParseInteger(SendMciCommand(OpenCommandText(shortPath, 1)));
        if (device != 0)
            isMpeg = 1;
    }
    return device;
}

void KeepDisplayOn(bool on)
{
    CallLibraryFunction("Kernel32", "SetThreadExecutionState", {on ? displayNeeded : displayFree});
}

// Clears the main window and moves the picture to the destination. The device may have drawn
// frames at its former place before it learnt the destination; clearing once more leaves only the
// picture where it belongs.
void PlacePicture()
{
    ClearWindow(background);
    SendMciCommand(DestinationCommand());
    ClearWindow(background);
}

// Opens and starts the medium and moves its picture into the main window.
void StartMedium()
{
    openResult = OpenMedium();
    if (openResult == 0)
        ShowNoticeAndEnd(0, nullptr);
    SendMciCommand("SET VIDEO TIME FORMAT FRAMES");
    SendMciCommand("PLAY VIDEO");
    KeepDisplayOn(true);
    videoLength = ParseInteger(SendMciCommand("STATUS VIDEO LENGTH"));
    pictureWidth = SourceField(3);
    pictureHeight = SourceField(4);
    ShowCursor(FALSE);
    ComputeDestination();
    SetDecimals(0);
    SendMciCommand(RtString("WINDOW VIDEO HANDLE ")
                       .Concat(RtString::FromLong(static_cast<int32_t>(reinterpret_cast<INT_PTR>(runtime.mainWindow)))));
    background = isMpeg == 1 ? MakeColor(16, 0, 16) : MakeColor(0, 0, 0);
    PlacePicture();
    FocusWindow(runtime.mainWindow);
}

// GetAsyncKeyState answers a 16-bit value; only its low half is defined in the 32-bit result,
// so the sign is taken from bit 15.
int16_t KeyState(DWORD key)
{
    return static_cast<int16_t>(CallLibraryFunction("User32", "GetAsyncKeyState", {key}));
}

// Escape held down while the player covers the screen (visible, not minimised, topmost), read from the
// whole keyboard as Space is: another program that took the focus cannot keep the player from ending, and
// the system may hand the foreground back and forth while keys still go elsewhere. Keys are only read,
// never taken from the program they go to; with the focus, Escape also reaches lastKey as every key does.
bool EscapeWhileCovering()
{
    if (KeyState(VK_ESCAPE) > -1)
        return false;
    DWORD window = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(runtime.mainWindow));
    return CallLibraryFunction("User32", "IsWindowVisible", {window}) != 0 &&
           CallLibraryFunction("User32", "IsIconic", {window}) == 0 &&
           (CallLibraryFunction("User32", "GetWindowLongA", {window, static_cast<DWORD>(GWL_EXSTYLE)}) & WS_EX_TOPMOST) != 0;
}

// One pass of the playback loop; false when playing once and the medium has ended, or on Escape
// held while the player covers the screen. A device may report a pause as "stopped" after a moment (the emulator's AVI
// device does): while the player holds the medium paused, "stopped" is that pause, not the end, and
// the next Space resumes it. After a change of the screen the picture is placed on the new one.
bool WatchPlayback()
{
    GuiSleep(20);
    bool rewound = false;
    RtString position = SendMciCommand("STATUS VIDEO POSITION");
    // A length of 0 is a device that cannot count frames: its position is no sign of the end.
    if (videoLength > 0 && position.Equals(RtString::FromLong(videoLength))) {
        if (repeatEndless == 0)
            return false;
        SendMciCommand("SEEK VIDEO TO 0");
        rewound = true;
    }
    if (SendMciCommand("STATUS VIDEO MODE").Equals("stopped") && pausedByPlayer == 0) {
        if (repeatEndless == 0)
            return false;
        // Some devices stop one frame short of the length they report; playing on from there
        // would show nothing, so a device that stopped by itself starts again from the beginning.
        if (!rewound)
            SendMciCommand("SEEK VIDEO TO 0");
        SendMciCommand("PLAY VIDEO");
    }
    if (KeyState(spaceKey) < 0 && pauseLatch == 0) {
        pauseLatch = 1;
        RtString mode = SendMciCommand("STATUS VIDEO MODE");
        bool resume = mode.Equals("paused") || (pausedByPlayer == 1 && mode.Equals("stopped"));
        SendMciCommand(resume ? "PLAY VIDEO" : "PAUSE VIDEO");
        pausedByPlayer = !resume && runtime.lastMciError == 0 ? 1 : 0;   // a refused pause is none
    }
    if (KeyState(spaceKey) > -1)
        pauseLatch = 0;
    if (runtime.screenWidth != placedScreenWidth || runtime.screenHeight != placedScreenHeight) {
        ComputeDestination();
        PlacePicture();
    }
    return !EscapeWhileCovering();
}

DWORD WatchUntilEnd()
{
    PushValue(loopCondition);
    loopCondition = runtime.lastKey != escapeKey ? 1 : 0;
    while (loopCondition == 1) {
        if (!WatchPlayback())
            break;
        loopCondition = runtime.lastKey != escapeKey ? 1 : 0;
    }
    PopValue(&loopCondition);
    KeepDisplayOn(false);
    ShowCursor(TRUE);
    SendMciCommand("CLOSE VIDEO");
    return PostThreadMessageA(runtime.guiThreadId, WM_QUIT, 0, 0) ? 0 : 1;
}

}  // namespace

RtString OpenCommandText(RtString shortPath, int32_t mpeg)
{
    if (FindSubstring(" ", shortPath) > 0)
        shortPath = RtString("\"").Concat(shortPath).Concat("\"");
    RtString command = RtString("OPEN ").Concat(shortPath);
    return command.Concat(mpeg == 1 ? " TYPE MPEGVIDEO ALIAS VIDEO" : " TYPE AVIVIDEO ALIAS VIDEO");
}

Value ShowNoticeAndEnd(int32_t count, const Value* argument)
{
    StoreProcedureArguments(count, argument);
    if (IntArgument(1) == 1)
        ShowMessageBox(usageText, "Kinoblick Aufruf:", MB_ICONINFORMATION);
    else
        ShowMessageBoxNamingParameter(cannotPlayText, 1, "Kinoblick", MB_ICONEXCLAMATION);
    EndProgramThread();
}

DWORD RunPlayer()
{
    ReadCommandLine();
    PrepareWindow();
    StartMedium();
    return WatchUntilEnd();
}
