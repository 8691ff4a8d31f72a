// Shredding end to end over the in-memory dialog and real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fileops/app_state.h"
#include "fileops/runs.h"
#include "tests/runs/run_harness.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

namespace fs = std::filesystem;

namespace {

TEST(ShredRun, OverwritesWholeBlocksThenDeletes) {
    for (size_t size : {0, 10, 4096, 4097}) {
        SCOPED_TRACE(size);
        RunHarness run;
        fs::path file = run.Write("secret.txt", std::string(size, 's'));
        fs::path other = run.Write("other.txt", "stays");
        run.SetPath(file);
        run.Press(kCommandShred);
        RecordedBox box = run.OnlyBox();
        EXPECT_EQ(box.text, kMsgDone);
        EXPECT_EQ(box.style, kBoxInfo);
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(RunHarness::Read(other), "stays");
        EXPECT_EQ(run.LogLines(),
                  (std::vector<std::u16string>{kNoteReadingFile, kNoteShredding, kMsgDone}));
        size_t rounded = (size + 4095) / 4096 * 4096;
        EXPECT_EQ(g_app.fileSize, rounded) << "the overwrite length is the rounded size";
    }
}

TEST(ShredRun, NeedsNoPasswordAndLeavesTheBarAlone) {
    RunHarness run;
    fs::path file = run.Write("x", "data");
    SetProgressRange(1000);
    SetProgressPosition(700);
    run.SetPasswords(u"", u"");
    run.SetPath(file);
    run.Press(kCommandShred);
    EXPECT_EQ(run.OnlyBox().text, kMsgDone);
    EXPECT_EQ(HeadlessProgressPosition(), 700u);
    EXPECT_EQ(HeadlessProgressHigh(), 1000u);
}

TEST(ShredRun, RefusesWhatItCannotOpen) {
    RunHarness run;
    fs::path readOnly = run.Write("ro", "keep");
    chmod(readOnly.c_str(), 0444);
    fs::create_directory(run.Dir() / "folder");
    fs::path target = run.Write("target", "target stays");
    fs::create_symlink(target, run.Dir() / "link");
    const std::u16string paths[] = {u"",
                                    u"relative",
                                    Utf16((run.Dir() / "missing").string()),
                                    Utf16(readOnly.string()),
                                    Utf16((run.Dir() / "folder").string()),
                                    Utf16((run.Dir() / "link").string())};
    for (const std::u16string& path : paths) {
        run.SetPathText(path);
        run.Press(kCommandShred);
        RecordedBox box = run.OnlyBox();
        EXPECT_EQ(box.text, kMsgOpenFailed);
        EXPECT_FALSE(box.buttonsEnabledWhileShown);
    }
    EXPECT_EQ(RunHarness::Read(readOnly), "keep");
    EXPECT_EQ(RunHarness::Read(target), "target stays") << "a link never leads to its target";
    EXPECT_TRUE(fs::is_symlink(run.Dir() / "link"));
}

}  // namespace
