#include "panel/setting_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/file_text.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

class SettingFileTest : public testing::PanelTest {
 protected:
  int Row(const char* name, int offset = 0) const { return cmd.Table().Find(name) + offset; }
  // A few bindings in the table's slot order: user, one not read (a comment),
  // factory, always skipped, indexed rows, a text value and an unused slot.
  std::vector<BindingValue> Bindings() const {
    return {
        {2433, Row("TGSM"), false, ParamValue::Int(1), {}},
        {3436, Row("LR"), false, ParamValue::Int(170), "LR: not read (no answer)"},
        {3939, Row("TTO"), true, ParamValue::Int(1), {}},
        {2752, Row("CABN1"), false, ParamValue::Text("Lens A"), {}},
        {2753, Row("CABL2"), false, ParamValue::Int(-3), {}},
        {2762, Row("CABL2", 1), false, ParamValue::Int(2), {}},
        {2701, Row("BLMI"), false, ParamValue::Int(4), {}},
        {2723, Row("BLMPF"), true, ParamValue::Int(9), {}},
        {3813, Row("BAS00"), true, ParamValue::Int(1), {}},
        {0xFFFFFFFFu, -1, false, ParamValue::Int(0), {}},
    };
  }

  testing::TempFolder folder;
  const fs::path dir{folder.Path()};
  testing::PtyPeer& peer = camera.Peer();
};

TEST_F(SettingFileTest, SavedFileReplaysIntoTheCameraAndThePanel) {
  const fs::path file = dir / "factory.cam";
  ASSERT_TRUE(SaveSettingFile(file, cmd, Bindings(), kModeFactory));
  testing::FakePanel panel;
  panel.ctrlOfCmd = {{Row("TGSM"), 2433}, {Row("CABN1"), 2752}, {Row("CABL2", 1), 2762}};

  const ReplayResult r = ReplaySettingFile(file, cmd, &panel);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.lines, 6);
  EXPECT_EQ(peer.Bytes(),  // each set read back
            "TGSM=1\r\nTGSM?\r\nCABN1=Lens A\r\nCABN1?\r\nCABL2=0,-3\r\nCABL2?0\r\n"
            "CABL2=1,2\r\nCABL2?1\r\nBAS00=1\r\nBAS00?\r\n");
  EXPECT_EQ(camera.WithModel([](sim::CameraModel& m) { return m.Int("CABL2", 1); }), 2);
  ASSERT_EQ(panel.stored.size(), 3u);
  EXPECT_EQ(panel.stored[1].second.textValue, "Lens A");
  EXPECT_EQ(panel.stored[2].first, 2762);
  EXPECT_EQ(panel.stored[2].second.intValue, 2);
  EXPECT_EQ(panel.afterReplay, 1);
  EXPECT_EQ(ui.progressTexts, std::vector<std::string>{"Applying the setting file to the camera…"});
  EXPECT_EQ(ui.percents, (std::vector<int>{0, 20, 40, 60, 80, 100}));  // the comment is no line
  EXPECT_FALSE(ui.progressOpen);

  // An empty file still runs the panel's rules.
  const fs::path empty = dir / "empty.cam";
  std::ofstream(empty).close();
  ui.percents.clear();
  EXPECT_TRUE(ReplaySettingFile(empty, cmd, &panel).ok());
  EXPECT_EQ(panel.afterReplay, 2);
  EXPECT_EQ(ui.percents, std::vector<int>{100});
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingFileTest, BadLinesAreListedBeforeAnythingIsSent) {
  // LF and CR LF mixed, blank lines, a last line without a line end; values
  // that are not what their field takes; a line the camera rejects.
  const std::string text = "TGSM=1\nTGSM=abc\r\nFOO=3\r\nEB?\r\n\r\nCABN1=Lens,A b\nLR=200\r\nTR=2";
  const std::string summary =
      "3 of 8 lines cannot be sent:\n"
      "line 2: \"abc\" is not a number for TGSM\n"
      "line 3: \"FOO\" is not a command\n"
      "line 4: not a setting (NAME=VALUE)\n";
  camera.RefuseSets("LR");
  testing::FakePanel panel;
  panel.ctrlOfCmd = {{Row("LR"), 3436}, {Row("CABN1"), 2752}};
  // Cancel: nothing at all is sent, and the panel is left alone.
  ui.answers = {MsgAnswer::Cancel};
  ReplayResult r = ReplaySettingText(text, cmd, &panel, &ui);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.unresolved, 3);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{
                               summary + "\nSend the 4 good lines (OK) or nothing (Cancel)?"});
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(peer.Bytes(), "");
  EXPECT_EQ(panel.afterReplay, 0);

  // OK: the good lines go; the rejected one is reported once, at the end, and
  // its binding is read back instead of keeping the rejected value.
  ui.boxes.clear();
  r = ReplaySettingText(text, cmd, &panel, &ui);
  EXPECT_EQ(r.sent, 4);
  EXPECT_EQ(r.failed, 1);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(peer.Bytes(),
            "TGSM=1\r\nTGSM?\r\nCABN1=Lens,A b\r\nCABN1?\r\nLR=200\r\nTR=2\r\nTR?\r\n");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(
      cmd.LastFailure().text,
      "1 of 4 settings were not accepted by the camera:\nline 7: ERROR REJECTED for LR=200\n");
  ASSERT_EQ(panel.stored.size(), 1u);
  EXPECT_EQ(panel.stored[0].second.textValue, "Lens,A b");
  EXPECT_EQ(panel.reread, std::vector<int>{3436});
  EXPECT_EQ(panel.afterReplay, 1);

  // The bad lines left out by agreement and the rest taken: nothing to tell.
  camera.AcceptSets();
  r = ReplaySettingText(text, cmd, &panel, &ui);
  EXPECT_EQ(r.failed, 0);
  EXPECT_FALSE(r.FailureRecorded());

  // A file of nothing but bad lines sends nothing and asks nothing.
  ui.boxes.clear();
  r = ReplaySettingText("LR=\nLR=abc", cmd, &panel, &ui);
  EXPECT_EQ(r.sent, 0);
  EXPECT_TRUE(r.FailureRecorded());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(cmd.LastFailure().text,
            "2 of 2 lines cannot be sent:\nline 1: no value for LR\n"
            "line 2: \"abc\" is not a number for LR\nNothing was sent.");
}

TEST_F(SettingFileTest, FailuresAreReportedAndLeaveOldFilesWhole) {
  const fs::path missing = dir / "missing.cam";
  testing::FakePanel panel;
  std::vector<std::string> texts;
  EXPECT_FALSE(ReplaySettingFile(missing, cmd, &panel).opened);
  texts.push_back(cmd.LastFailure().text);
  EXPECT_EQ(panel.afterReplay, 0);
  // A target the rename cannot replace: it stays as it was, no temporary is left.
  const fs::path taken = dir / "taken";
  fs::create_directory(taken);
  EXPECT_FALSE(SaveSettingFile(taken, cmd, Bindings(), kModeUser));
  texts.push_back(cmd.LastFailure().text);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(cmd.LastFailure().caption, "File Open Error");
  EXPECT_EQ(peer.Bytes(), "");

  // Only regular files of a sensible size are read, and at once: a FIFO
  // nobody writes to, a file far too large.
  const fs::path fifo = dir / "fifo.cam";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path large = dir / "large.cam";
  fs::resize_file((std::ofstream(large), large), kMaxSettingFileBytes + 1);
  for (const fs::path& p : {fifo, large}) {
    EXPECT_FALSE(ReplaySettingFile(p, cmd, &panel).opened);
    texts.push_back(cmd.LastFailure().text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{
                       missing.string() + "\nCouldn't open this file\nNo such file or directory",
                       taken.string() + "\nCouldn't open this file\nIs a directory",
                       fifo.string() + "\nCouldn't open this file\nnot a regular file",
                       large.string() + "\nCouldn't open this file\nlarger than 1048576 bytes"}));
  fs::remove(fifo);
  fs::remove(large);
  EXPECT_EQ(peer.Bytes(), "");

  // An existing file is replaced whole, keeping its permissions.
  const fs::path file = dir / "old.cam";
  std::ofstream(file) << "OLD=1\r\n";
  const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, perms);
  ASSERT_TRUE(SaveSettingFile(file, cmd, Bindings(), kModeUser));
  EXPECT_EQ(testing::FileText(file),
            "TGSM=1\r\n# LR: not read (no answer)\r\nCABN1=Lens A\r\nCABL2=0,-3\r\nCABL2=1,2\r\n");
  EXPECT_EQ(fs::status(file).permissions(), perms);
}

}  // namespace
}  // namespace kestrel
