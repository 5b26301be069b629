#include "panel/setting_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PtyPeer;

// A camera that keeps every value set and rejects the names it is told to.
struct Camera {
  std::mutex mutex;
  std::map<std::string, std::string> values;
  std::string reject;

  std::string Answer(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return "ERROR\r\n";
    if (line.substr(0, eq) == reject) return "ERROR\r\n";
    values[line.substr(0, eq) + (line.find(',') != std::string::npos
                                     ? "," + line.substr(eq + 1, line.find(',') - eq - 1)
                                     : "")] = line.substr(line.find_last_of("=,") + 1);
    return "COMPLETE\r\n";
  }
};

// The panel's side, recorded.
struct FakePanel : SettingsPanel {
  std::map<int, int> ctrlOfCmd;
  std::vector<std::pair<int, ParamValue>> stored;
  int afterReplay = 0;
  int CmdId2CtrlId(int cmdIndex) override {
    auto it = ctrlOfCmd.find(cmdIndex);
    return it == ctrlOfCmd.end() ? -1 : it->second;
  }
  bool SetParam(int ctrlId, const ParamValue& v) override {
    stored.emplace_back(ctrlId, v);
    return true;
  }
  void AfterReplay() override { ++afterReplay; }
  void RefreshFromCamera() override {}
};

class SettingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("setting_file_test_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    settings.commDevice = peer.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  void TearDown() override { fs::remove_all(dir); }

  int Row(const char* name, int offset = 0) const { return cmd.Table().Find(name) + offset; }
  // A few bindings in the table's slot order: user, factory, always skipped,
  // indexed rows, a text value and an unused slot.
  std::vector<BindingValue> Bindings() const {
    return {
        {2433, Row("TGSM"), false, ParamValue::Int(1)},
        {3436, Row("LR"), false, ParamValue::Int(170)},
        {3939, Row("TTO"), true, ParamValue::Int(1)},
        {2752, Row("CABN1"), false, ParamValue::Text("Lens A")},
        {2753, Row("CABL2"), false, ParamValue::Int(-3)},
        {2762, Row("CABL2", 1), false, ParamValue::Int(2)},
        {2701, Row("BLMI"), false, ParamValue::Int(4)},
        {2723, Row("BLMPF"), true, ParamValue::Int(9)},
        {3813, Row("BAS00"), true, ParamValue::Int(1)},
        {0xFFFFFFFFu, -1, false, ParamValue::Int(0)},
    };
  }
  std::string Read(const fs::path& p) const {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(p, text));
    return text;
  }

  Camera camera;
  PtyPeer peer{[this](const std::string& line) { return camera.Answer(line); }};
  fs::path dir;
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
};

TEST_F(SettingFileTest, UserModeLeavesOutFactoryAndSkippedBindings) {
  const fs::path user = dir / "user.cam";
  const fs::path factory = dir / "factory.cam";
  ASSERT_TRUE(SaveSettingFile(user, cmd, Bindings(), kModeUser, ui));
  ASSERT_TRUE(SaveSettingFile(factory, cmd, Bindings(), kModeFactory, ui));
  EXPECT_EQ(Read(user), "TGSM=1\r\nLR=170\r\nCABN1=Lens A\r\nCABL2=0,-3\r\nCABL2=1,2\r\n");
  EXPECT_EQ(Read(factory),
            "TGSM=1\r\nLR=170\r\nCABN1=Lens A\r\nCABL2=0,-3\r\nCABL2=1,2\r\nBAS00=1\r\n");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingFileTest, SavedFileReplaysIntoTheCameraAndThePanel) {
  const fs::path file = dir / "factory.cam";
  ASSERT_TRUE(SaveSettingFile(file, cmd, Bindings(), kModeFactory, ui));
  FakePanel panel;
  panel.ctrlOfCmd = {{Row("TGSM"), 2433}, {Row("CABN1"), 2752}, {Row("CABL2", 1), 2762}};

  const ReplayResult r = ReplaySettingFile(file, cmd, &panel);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.lines, 6);
  EXPECT_EQ(peer.Bytes(),
            "TGSM=1\r\nLR=170\r\nCABN1=LensA\r\nCABL2=0,-3\r\nCABL2=1,2\r\nBAS00=1\r\n");
  EXPECT_EQ(camera.values["CABL2,1"], "2");
  ASSERT_EQ(panel.stored.size(), 3u);
  // The line layer drops spaces, as the camera does: the text the camera keeps.
  EXPECT_EQ(panel.stored[1].second.textValue, "LensA");
  EXPECT_EQ(panel.stored[2].first, 2762);
  EXPECT_EQ(panel.stored[2].second.intValue, 2);
  EXPECT_EQ(panel.afterReplay, 1);
  EXPECT_EQ(ui.progressTexts, std::vector<std::string>{"Now, reading camera setting file."});
  EXPECT_EQ(ui.percents, (std::vector<int>{0, 16, 33, 50, 66, 83, 100}));
  EXPECT_FALSE(ui.progressOpen);
}

TEST_F(SettingFileTest, BadLinesAreReportedAndTheRestApplied) {
  // LF and CR LF mixed, an unknown name, a query, a blank line, an over-long
  // line, a rejected command, and a last line without a line end.
  const std::string longLine = "CABN2=" + std::string(300, 'x');
  const std::string text = "TGSM=1\nFOO=3\r\nEB?\r\n\r\n" + longLine + "\nLR=200\r\nTR=2";
  {
    std::lock_guard<std::mutex> lock(camera.mutex);
    camera.reject = "LR";
  }
  FakePanel panel;
  panel.ctrlOfCmd = {{Row("LR"), 3436}};
  const ReplayResult r = ReplaySettingText(text, cmd, &panel);
  EXPECT_EQ(r.lines, 7);
  EXPECT_EQ(r.unresolved, 4);
  EXPECT_EQ(r.failed, 1);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(peer.Bytes(), "TGSM=1\r\nLR=200\r\nTR=2\r\n");
  const std::vector<std::string> expected = {
      "Unresolved command! (FOO=3)", "Unresolved command! (EB?)", "Unresolved command! ()",
      "Unresolved command! (" + longLine.substr(0, 255) + "...)", "ERROR for LR=200"};
  EXPECT_EQ(ui.BoxTexts(), expected);
  // The rejected value is still taken by the panel.
  ASSERT_EQ(panel.stored.size(), 1u);
  EXPECT_EQ(panel.stored[0].second.intValue, 200);
}

TEST_F(SettingFileTest, EmptyFileStillRunsTheRules) {
  const fs::path file = dir / "empty.cam";
  std::ofstream(file).close();
  FakePanel panel;
  const ReplayResult r = ReplaySettingFile(file, cmd, &panel);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.lines, 0);
  EXPECT_EQ(peer.Bytes(), "");
  EXPECT_EQ(panel.afterReplay, 1);
  EXPECT_EQ(ui.percents, std::vector<int>{100});
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingFileTest, FailuresAreReportedAndLeaveOldFilesWhole) {
  const fs::path missing = dir / "missing.cam";
  FakePanel panel;
  EXPECT_FALSE(ReplaySettingFile(missing, cmd, &panel).opened);
  EXPECT_EQ(panel.afterReplay, 0);
  // A target the rename cannot replace: it stays as it was, no temporary is left.
  const fs::path taken = dir / "taken";
  fs::create_directory(taken);
  EXPECT_FALSE(SaveSettingFile(taken, cmd, Bindings(), kModeUser, ui));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text,
            missing.string() + "\nCouldn't open this file\nNo such file or directory");
  EXPECT_EQ(ui.boxes[1].text, taken.string() + "\nCouldn't open this file\nIs a directory");
  EXPECT_EQ(ui.boxes[1].caption, "File Open Error");
  EXPECT_EQ(peer.Bytes(), "");

  // An existing file is replaced whole, keeping its permissions.
  const fs::path file = dir / "old.cam";
  std::ofstream(file) << "OLD=1\r\n";
  const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, perms);
  ASSERT_TRUE(SaveSettingFile(file, cmd, Bindings(), kModeUser, ui));
  EXPECT_EQ(Read(file).rfind("TGSM=1\r\n", 0), 0u);
  EXPECT_EQ(fs::status(file).permissions(), perms);
  // Through a symbolic link the file it names is replaced; the link stays.
  fs::create_symlink(file, dir / "link.cam");
  ASSERT_TRUE(SaveSettingFile(dir / "link.cam", cmd, Bindings(), kModeFactory, ui));
  EXPECT_TRUE(fs::is_symlink(dir / "link.cam"));
  EXPECT_NE(Read(file).find("BAS00=1"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
