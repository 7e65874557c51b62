// Runtime errors and warnings that return to the program, read back from the real message box.
// The reports that end the program run in a child process: see end_paths_test.cpp.
#include <string>

#include "kernel/windowing.h"
#include "services/runtime_errors.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

const std::string boxText = "Zeilennummer nicht verf\xFCgbar.";
const std::string negativeSize = "Negative Fenstergr\xF6\xDF" "e!";

class ErrorReports : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime.errorMode = 1;
        StoreInterlocked(runtime.lastErrorCode, 0);
        StoreInterlocked(runtime.lastErrorKind, 0);
    }
    void TearDown() override { runtime.errorMode = 1; }
};

void ExpectWarningBox(const MessageBoxSeen& box, const std::string& caption, HWND owner)
{
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, boxText);
    EXPECT_TRUE(box.hasOk);
    EXPECT_TRUE(box.hasCancel);
    EXPECT_EQ(box.owner, owner);
}

TEST_F(ErrorReports, AWarningAnsweredWithOkReturnsToTheProgram)
{
    for (LONG mode : {1, 3, 1000}) {   // above 2 acts as 1
        runtime.errorMode = mode;
        MessageBoxAnswerer answerer(IDOK);
        RuntimeWarning(223, nullptr);
        ExpectWarningBox(answerer.Result(), negativeSize, nullptr);
        EXPECT_EQ(runtime.lastErrorCode, 223) << "mode " << mode;
        EXPECT_EQ(runtime.lastErrorKind, 1) << "mode " << mode;
    }
}

TEST_F(ErrorReports, TheDetailFollowsTheMessageDirectly)
{
    MessageBoxAnswerer answerer(IDOK);
    RuntimeWarning(209, "C:\\clips\\a b.avi");
    ExpectWarningBox(answerer.Result(), "Datei nicht gefunden: C:\\clips\\a b.avi", nullptr);
    EXPECT_EQ(runtime.lastErrorCode, 209);
}

struct SilentCase {
    LONG mode;
    bool error;          // else a warning
    int32_t code;
    const char* detail;
};

// Each returns without a box and still records the report.
const SilentCase silentCases[] = {
    {-1, true, 248, "Foo"},
    {-1, true, 207, nullptr},
    {-1, false, 223, nullptr},
    {0, false, 223, nullptr},
    {0, false, 209, "x.avi"},
    {-5, false, 223, nullptr},   // below 0 other than -1 acts as 0
};

TEST_F(ErrorReports, SilentModesRecordWithoutABox)
{
    MessageBoxAnswerer watcher(IDOK, 1500);   // presses OK if a box shows, so nothing hangs
    for (const SilentCase& c : silentCases) {
        runtime.errorMode = c.mode;
        StoreInterlocked(runtime.lastErrorCode, 0);
        StoreInterlocked(runtime.lastErrorKind, 0);
        if (c.error)
            RuntimeError(c.code, c.detail);
        else
            RuntimeWarning(c.code, c.detail);
        EXPECT_EQ(runtime.lastErrorCode, c.code) << "mode " << c.mode << " code " << c.code;
        EXPECT_EQ(runtime.lastErrorKind, c.error ? 2 : 1) << "mode " << c.mode << " code " << c.code;
    }
    MessageBoxSeen seen = watcher.Result();
    EXPECT_FALSE(seen.found) << "a box appeared: " << seen.caption;
}

TEST_F(ErrorReports, TheWindowCommandGoesOnAfterOkAndTheBoxBelongsToTheMainWindow)
{
    {
        MessageBoxAnswerer answerer(IDOK);
        SetMainWindowGeometry(-20, 10, 240, 160);
        ExpectWarningBox(answerer.Result(), negativeSize, nullptr);
    }
    HWND window = runtime.mainWindow;
    ASSERT_NE(window, nullptr) << "the main window is created after OK";
    MessageBoxAnswerer answerer(IDOK);
    RuntimeWarning(223, nullptr);
    ExpectWarningBox(answerer.Result(), negativeSize, window);
}

}  // namespace
