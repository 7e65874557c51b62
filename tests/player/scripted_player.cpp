// The player on the real runtime with a scripted MCI device in place of the system's. The
// device's replies and the key events it causes come from a script file; every command the
// player sends and every message box it shows go to a log file. player_scenarios.py writes the
// scripts, runs this program once per scenario and compares the logs.
//
// Environment: SCRIPTED_DEVICE (script path), SCRIPTED_LOG (log path, appended to),
// SCRIPTED_SCREEN (optional "WIDTHxHEIGHT" that replaces the screen size the player sees).
//
// Script lines, fields separated by tabs; a command ending in "*" matches every command that
// starts with the text before it:
//   reply <command> <reply 1> <reply 2> ...   successive replies, the last one repeats;
//                                              "!<number>" fails with that MCI error
//   on <command> <n> <action>                  before answering the n-th matching command:
//                                              space-down, space-up or key <code> (lastKey)
// Log lines: "mci <command>" and "box <caption> <text in hex> <owner: main|none|other>".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "player/player.h"
#include "services/mci.h"
#include "support/gui_probe.h"

namespace {

struct Pattern {
    std::string text;
    bool prefix = false;

    bool Matches(const std::string& command) const
    {
        return prefix ? command.compare(0, text.size(), text) == 0 : command == text;
    }
};

struct ReplyRule {
    Pattern command;
    std::vector<std::string> replies;
    size_t answered = 0;
};

struct Trigger {
    Pattern command;
    int atCount = 0;
    std::string action;
    int seen = 0;
};

std::vector<ReplyRule> replyRules;
std::vector<Trigger> triggers;
HANDLE logFile = INVALID_HANDLE_VALUE;

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

Pattern MakePattern(const std::string& text)
{
    Pattern pattern;
    pattern.prefix = !text.empty() && text.back() == '*';
    pattern.text = pattern.prefix ? text.substr(0, text.size() - 1) : text;
    return pattern;
}

void LoadScript(const char* path)
{
    FILE* script = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (script == nullptr)
        return;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, script) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        std::vector<std::string> fields = SplitTabs(line);
        if (fields[0] == "reply" && fields.size() >= 3) {
            ReplyRule rule;
            rule.command = MakePattern(fields[1]);
            rule.replies.assign(fields.begin() + 2, fields.end());
            replyRules.push_back(rule);
        } else if (fields[0] == "on" && fields.size() == 4) {
            Trigger trigger;
            trigger.command = MakePattern(fields[1]);
            trigger.atCount = std::atoi(fields[2].c_str());
            trigger.action = fields[3];
            triggers.push_back(trigger);
        }
    }
    std::fclose(script);
}

void WriteLog(const std::string& line)
{
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void PressSpace(bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_SPACE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    // The emulator keeps a thread's last answer for an idle key for up to 50 ms; a real press
    // lasts longer than that, so the player's next look at the key must come after it.
    Sleep(60);
}

void RunTriggers(const std::string& command)
{
    for (Trigger& trigger : triggers) {
        if (!trigger.command.Matches(command) || ++trigger.seen != trigger.atCount)
            continue;
        if (trigger.action == "space-down")
            PressSpace(true);
        else if (trigger.action == "space-up")
            PressSpace(false);
        else if (trigger.action.compare(0, 4, "key ") == 0)
            StoreInterlocked(runtime.lastKey, std::atoi(trigger.action.c_str() + 4));
    }
}

MCIERROR WINAPI ScriptedDevice(LPCSTR command, LPSTR reply, UINT replyCapacity, HWND)
{
    std::string text = command;
    WriteLog("mci\t" + text);
    RunTriggers(text);
    for (ReplyRule& rule : replyRules) {
        if (!rule.command.Matches(text))
            continue;
        const std::string& answer = rule.replies[std::min(rule.answered++, rule.replies.size() - 1)];
        if (!answer.empty() && answer[0] == '!')
            return static_cast<MCIERROR>(std::atoi(answer.c_str() + 1));
        lstrcpynA(reply, answer.c_str(), static_cast<int>(replyCapacity));
        return 0;
    }
    return 0;
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

// Answers every message box of the process with OK and logs it.
DWORD WINAPI AnswerBoxes(void*)
{
    for (;;) {
        MessageBoxSeen box = AnswerMessageBox(IDOK, 60000);
        if (!box.found)
            continue;
        const char* owner = box.owner == nullptr ? "none" : box.owner == runtime.mainWindow ? "main" : "other";
        WriteLog("box\t" + box.caption + "\t" + Hex(box.text) + "\t" + owner);
        while (CountMessageBoxes() > 0)
            Sleep(20);
    }
}

void UseScreenSize(const char* size)
{
    int width = 0;
    int height = 0;
    if (size != nullptr && std::sscanf(size, "%dx%d", &width, &height) == 2) {
        runtime.screenWidth = width;
        runtime.screenHeight = height;
    }
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    logFile = CreateFileA(std::getenv("SCRIPTED_LOG"), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    LoadScript(std::getenv("SCRIPTED_DEVICE"));
    UseScreenSize(std::getenv("SCRIPTED_SCREEN"));
    SetMciSender(ScriptedDevice);
    CloseHandle(CreateThread(nullptr, 0, AnswerBoxes, nullptr, 0, nullptr));
    return RunPlayer();
}
