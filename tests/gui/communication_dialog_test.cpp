// The communication dialog, the area dialog and the setting-file commands of
// the panel, against one or two simulated cameras.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <fstream>

#include "backup/backup_manifest.h"
#include "common/file_text.h"
#include "panel/gui/areas_dlg.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class CommTest : public PanelToolsTest {
 protected:
  CCommSelDlg& Comm() { return tools_->Communication(); }
  QPushButton* CommButton(const char* name) { return Comm().findChild<QPushButton*>(name); }
  // Types a device path into the port list and confirms it with Enter.
  void ChoosePort(const std::string& path) {
    QLineEdit* edit = Comm().PortList()->lineEdit();
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromStdString(path));
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents();
  }
  // Runs `inspect` on the area dialog once it is open, then presses OK or Cancel.
  void OnAreaDialog(std::function<void(CAreaSelDlg&)> inspect, bool ok) {
    QTimer::singleShot(0, [this, inspect, ok] {
      CAreaSelDlg* d = tools_->AreaDialog();
      ASSERT_NE(d, nullptr);
      inspect(*d);
      if (ok)
        d->findChild<QPushButton*>("okButton")->click();
      else
        d->reject();
    });
  }
};

TEST_F(CommTest, AreaDialogListsFollowTheModeAndTheCurrentArea) {
  Start(kModeUser);
  ASSERT_EQ(panel_->Link().CurrentArea(), 0);
  // The dialog shows the choice for the mode and the current area; a second
  // request while it is open is ignored.
  OnAreaDialog(
      [this](CAreaSelDlg& d) {
        EXPECT_EQ(d.List()->currentText(), "User1");
        d.List()->setCurrentIndex(1);
        panel_->MenuAction("actionStoreSettings")->trigger();
        EXPECT_EQ(tools_->AreaDialog(), &d);
      },
      true);
  panel_->MenuAction("actionStoreSettings")->trigger();
  EXPECT_EQ(panel_->Link().CurrentArea(), 2);
  ASSERT_EQ(boxes_.size(), 2u);  // the flash question, then the outcome
  EXPECT_EQ(boxes_[1].icon, MsgIcon::Information);
  EXPECT_TRUE(panel_->isEnabled());

  // Cancel sends nothing.
  const uint64_t before = camera_->Stats().linesIn;
  OnAreaDialog([](CAreaSelDlg& d) { EXPECT_EQ(d.List()->currentText(), "User2"); }, false);
  panel_->MenuAction("actionLoadSettings")->trigger();
  EXPECT_EQ(camera_->Stats().linesIn, before);
  EXPECT_EQ(tools_->AreaDialog(), nullptr);

  // "Reload" has the camera reload its current area, then reads it.
  camera_->WithModel([](sim::CameraModel& m) {
    m.SetInt("LR", 555);
    m.StoreArea(2);
    m.SetInt("LR", 1);
  });
  panel_->MenuAction("actionReload")->trigger();
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 555);
}

// The panel's buttons that change the camera for good ask first, naming what
// they overwrite; No sends nothing, Yes runs the command and tells its outcome.
TEST_F(CommTest, ToolButtonsAskFirstAndRunOnYes) {
  Start(kModeFactory);
  const struct {
    const char* button;
    const char* question;
    MsgIcon icon;
    const char* done;
  } cases[] = {
      {"buttonInitFlashData", "parameters in the camera's flash memory", MsgIcon::Question,
       "Complete!  Data change when camera is rebooted."},
      {"buttonStoreAll", "in all three setting areas", MsgIcon::Question,
       "Completed to store current setting data!"},
      {"buttonCameraReset", "Restart the camera now?", MsgIcon::Question, nullptr},
  };
  yesNo_ = MsgAnswer::No;
  const uint64_t before = camera_->Stats().linesIn;
  for (const auto& c : cases) {
    boxes_.clear();
    panel_->findChild<QPushButton*>(c.button)->click();
    ASSERT_EQ(boxes_.size(), 1u) << c.button;
    EXPECT_NE(boxes_[0].text.find(c.question), std::string::npos) << boxes_[0].text;
    EXPECT_EQ(boxes_[0].icon, c.icon) << c.button;
  }
  EXPECT_EQ(camera_->Stats().linesIn, before);

  yesNo_ = MsgAnswer::Yes;
  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 777); });
  for (const auto& c : cases) {
    if (!c.done) continue;
    boxes_.clear();
    panel_->findChild<QPushButton*>(c.button)->click();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].caption, QtUserInterface::kFlashCaption);
    EXPECT_EQ(boxes_[1].text, c.done);
  }
  EXPECT_EQ(camera_->WithModel([&](sim::CameraModel& m) { return m.AreaInt(1, "LR"); }), 777);
  const uint64_t beforeReset = camera_->Stats().linesIn;
  panel_->findChild<QPushButton*>("buttonCameraReset")->click();
  QTRY_COMPARE_WITH_TIMEOUT(camera_->Stats().linesIn, beforeReset + 1, 2000);
  // A real box: Cancel is its default, so Enter writes nothing.
  ui_.SetResponder({});
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
  });
  const uint64_t beforeEnter = camera_->Stats().linesIn;
  panel_->findChild<QPushButton*>("buttonStoreAll")->click();
  EXPECT_EQ(camera_->Stats().linesIn, beforeEnter);
}

TEST_F(CommTest, ChoosingAnotherPortReconnectsAndRefreshesThePanel) {
  Start();
  EXPECT_EQ(Comm().PortList()->currentText().toStdString(), camera_->SlavePath());
  auto second = NewCamera();
  second->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 4321); });
  ChoosePort(second->SlavePath());
  EXPECT_EQ(settings_.commDevice, second->SlavePath());
  EXPECT_EQ(Comm().StateWord()->text(), "Online");
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 4321);

  // A port with nothing behind it: offline, said why, and the panel keeps its values.
  ChoosePort(Path("no-such-port"));
  EXPECT_EQ(Comm().StateWord()->text(), "Offline");
  EXPECT_EQ(boxes_.size(), 1u);
  CommButton("ctl2255")->click();  // "Get Area"
  EXPECT_EQ(Comm().AreaLabel()->text(), "???");

  // Back to the second camera, whose area "Get Area" shows.
  ChoosePort(second->SlavePath());
  second->WithModel([](sim::CameraModel& m) { m.LoadArea(2); });
  CommButton("ctl2255")->click();
  EXPECT_EQ(Comm().AreaLabel()->text(), "User 2 Data");
  cmd_->ClosePort();
}

TEST_F(CommTest, MessageListShowsTheNewestFirstAndExportsIt) {
  Start();
  Comm().OnClear();
  for (int i = 1; i <= 1025; ++i)
    ui_.AddMessage("m" + std::to_string(i));
  QListWidget* view = Comm().MessageView();
  ASSERT_EQ(view->count(), 1024);
  EXPECT_EQ(view->item(0)->text(), "m1025");

  chosen_ = Path("messages.txt");
  CommButton("ctl2260")->click();
  EXPECT_EQ(testing::FileText(chosen_).substr(0, 4), "m2\r\n");
  EXPECT_EQ(view->item(0)->text(), "Writing file has been done!");
  EXPECT_EQ(settings_.dumpFile, dir_.path().toStdString());

  // A file that cannot be created is reported; nothing claims success.
  chosen_ = Path("missing-folder/messages.txt");
  CommButton("ctl2260")->click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "File Open Error");
  EXPECT_EQ(view->item(1)->text(), "m1025");  // no second "done" line above the first
}

TEST_F(CommTest, StoreIsOffForFactoryDataInUserMode) {
  Start(kModeUser);
  Comm().AreaList()->setCurrentIndex(0);
  EXPECT_FALSE(Comm().StoreButton()->isEnabled());
  Comm().AreaList()->setCurrentIndex(1);
  EXPECT_TRUE(Comm().StoreButton()->isEnabled());
  Comm().AreaList()->setCurrentIndex(0);
  panel_->ToggleMode();
  EXPECT_TRUE(Comm().StoreButton()->isEnabled());
}

TEST_F(CommTest, AnAbnormalEndStartsTheNextRunOnTheComPort) {
  {
    QSettings ini(QString::fromStdString(Path("kestrel.ini")), QSettings::IniFormat);
    ini.setValue("Normal Shutdown", 0);
  }
  settings_.serialMode = 2;
  Start();
  EXPECT_EQ(Comm().CategoryList()->currentText(), "Com Port");
  panel_->SetAskOnExit(false);
  panel_.reset();
  QSettings ini(QString::fromStdString(Path("kestrel.ini")), QSettings::IniFormat);
  EXPECT_EQ(ini.value("Normal Shutdown").toInt(), 1);
}

// File → Save As writes the camera's settings; File → Open replays them.
TEST_F(CommTest, SettingFileSavedFromThePanelIsReplayedByOpen) {
  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 1000); });
  Start();
  chosen_ = Path("panel.cam");
  panel_->MenuAction("actionSaveAs")->trigger();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].extension, "cam");
  EXPECT_EQ(settings_.dataPath, dir_.path().toStdString());
  EXPECT_NE(testing::FileText(chosen_).find("LR=1000\r\n"), std::string::npos);

  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 500); });
  panel_->MenuAction("actionOpen")->trigger();
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{
                "Send the settings of panel.cam to the camera?\n69 lines, 69 settings."}));
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Int("LR"); }), 1000);
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 1000);
  EXPECT_TRUE(panel_->isEnabled());
}

// File → Restore Camera… checks the whole backup before anything is sent: a
// truncated one is refused with its reason.
TEST_F(CommTest, RestoreRefusesATruncatedBackupWithNothingSent) {
  Start();
  BackupManifest manifest;
  manifest.model = "HX-9302";
  manifest.cameraId = "A000000001";
  const std::string archive = PackBackup(manifest, {{"settings.cam", "LR=1000\r\n"}}, 0);
  chosen_ = Path("cut.kbak");
  std::ofstream(chosen_, std::ios::binary) << archive.substr(0, archive.size() - 1024);
  const size_t logged = log_.size();
  panel_->MenuAction("actionRestoreCamera")->trigger();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find("truncated"), std::string::npos) << boxes_[0].text;
  EXPECT_NE(boxes_[0].text.find("Nothing was sent."), std::string::npos);
  for (size_t i = logged; i < log_.size(); ++i)
    EXPECT_NE(log_[i].rfind("Tx: ", 0), 0u) << log_[i];
}

}  // namespace
}  // namespace kestrel
