// The communication dialog, the area dialog and the setting-file commands of
// the panel, against one or two simulated cameras.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "common/file_text.h"
#include "panel/gui/areas_dlg.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class CommTest : public PanelToolsTest {
 protected:
  CCommSelDlg& Comm() { return tools_->Communication(); }
  QAction* Action(const char* name) {
    auto* a = panel_->findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  QPushButton* CommButton(const char* name) { return Comm().findChild<QPushButton*>(name); }
  int32_t CameraInt(sim::PtyCamera& c, const char* name) {
    return c.WithModel([&](sim::CameraModel& m) { return m.Int(name); });
  }
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
        EXPECT_EQ(d.windowTitle(), "Store setting data");
        EXPECT_EQ(d.List()->currentText(), "User1");
        d.List()->setCurrentIndex(1);
        Action("actionStoreSettings")->trigger();
        EXPECT_EQ(tools_->AreaDialog(), &d);
      },
      true);
  Action("actionStoreSettings")->trigger();
  EXPECT_EQ(panel_->Link().CurrentArea(), 2);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Completed to store current setting data!"});
  EXPECT_TRUE(panel_->isEnabled());

  // Cancel sends nothing.
  const uint64_t before = camera_->Stats().linesIn;
  OnAreaDialog([](CAreaSelDlg& d) { EXPECT_EQ(d.List()->currentText(), "User2"); }, false);
  Action("actionLoadSettings")->trigger();
  EXPECT_EQ(camera_->Stats().linesIn, before);
  EXPECT_EQ(tools_->AreaDialog(), nullptr);
}

TEST_F(CommTest, PanelButtonsAndMenusRunTheAreaCommands) {
  Start(kModeFactory);
  for (const char* name :
       {"buttonStoreAll", "buttonInitFlashData", "buttonCameraReset", "buttonTerminal"}) {
    auto* b = panel_->findChild<QPushButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_TRUE(b->isEnabled()) << name;
    EXPECT_TRUE(b->toolTip().isEmpty()) << name;
  }
  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 777); });
  panel_->findChild<QPushButton*>("buttonStoreAll")->click();
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{"Are you sure you want to overwrite into all EEPROM areas?",
                                      "Completed to store current setting data!"}));
  for (int area : {0, 1, 2})
    EXPECT_EQ(camera_->WithModel([&](sim::CameraModel& m) { return m.AreaInt(area, "LR"); }), 777)
        << area;

  boxes_.clear();
  panel_->findChild<QPushButton*>("buttonInitFlashData")->click();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text, "Complete!  Data change when camera is rebooted.");

  // "Reload" has the camera reload its current area, then reads it.
  camera_->WithModel([](sim::CameraModel& m) {
    m.SetInt("LR", 555);
    m.StoreArea(2);
    m.LoadArea(2);
    m.SetInt("LR", 1);
  });
  Action("actionReload")->trigger();
  EXPECT_EQ(panel_->Link().CurrentArea(), 2);
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 555);
  EXPECT_TRUE(panel_->isEnabled());
}

// The panel's buttons that change the camera for good ask first; No sends
// nothing.
TEST_F(CommTest, ToolButtonsAskFirstAndNoSendsNothing) {
  Start(kModeFactory);
  const struct {
    const char* button;
    const char* question;
    MsgIcon icon;
  } cases[] = {
      {"buttonStoreAll", "Are you sure you want to overwrite into all EEPROM areas?",
       MsgIcon::Question},
      {"buttonInitFlashData", "Is the Flash parameter changed to the default value?",
       MsgIcon::Question},
      {"buttonCameraReset", "Do you really reset Camera ?", MsgIcon::None},
  };
  yesNo_ = MsgAnswer::No;
  const uint64_t before = camera_->Stats().linesIn;
  for (const auto& c : cases) {
    boxes_.clear();
    panel_->findChild<QPushButton*>(c.button)->click();
    ASSERT_EQ(boxes_.size(), 1u) << c.button;
    EXPECT_EQ(boxes_[0].text, c.question);
    EXPECT_EQ(boxes_[0].icon, c.icon) << c.button;
  }
  EXPECT_EQ(camera_->Stats().linesIn, before);
  yesNo_ = MsgAnswer::Yes;
  panel_->findChild<QPushButton*>("buttonCameraReset")->click();
  QTRY_COMPARE_WITH_TIMEOUT(camera_->Stats().linesIn, before + 1, 2000);
}

TEST_F(CommTest, ChoosingAnotherPortReconnectsAndRefreshesThePanel) {
  Start();
  EXPECT_EQ(Comm().StateWord()->text(), "Online");
  EXPECT_EQ(Comm().PortList()->currentText().toStdString(), camera_->SlavePath());
  auto second = NewCamera();
  second->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 4321); });
  ChoosePort(second->SlavePath());
  EXPECT_EQ(settings_.commDevice, second->SlavePath());
  EXPECT_EQ(Comm().StateWord()->text(), "Online");
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 4321);

  // A port with nothing behind it: offline, and the panel keeps its values.
  ChoosePort(Path("no-such-port"));
  EXPECT_EQ(Comm().StateWord()->text(), "Offline");
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0].rfind("Failed to initialize!\nno such device: ", 0), 0u);
  CommButton("ctl2255")->click();  // "Get Area"
  EXPECT_EQ(Comm().AreaLabel()->text(), "???");

  // Back to the second camera by picking it from the list.
  const int index = Comm().PortList()->findText(QString::fromStdString(second->SlavePath()));
  ASSERT_GE(index, 0);
  Comm().OnPortSelected(index);
  EXPECT_EQ(Comm().StateWord()->text(), "Online");
  second->WithModel([](sim::CameraModel& m) { m.LoadArea(2); });
  CommButton("ctl2255")->click();
  EXPECT_EQ(Comm().AreaLabel()->text(), "User 2 Data");
  cmd_->ClosePort();
}

TEST_F(CommTest, MessageListKeepsTheNewest1024AndExportsOldestFirst) {
  Start();
  Comm().OnClear();
  for (int i = 1; i <= 1025; ++i)
    ui_.AddMessage("m" + std::to_string(i));
  QListWidget* view = Comm().MessageView();
  ASSERT_EQ(view->count(), 1024);
  EXPECT_EQ(view->item(0)->text(), "m1025");
  EXPECT_EQ(view->item(1023)->text(), "m2");

  chosen_ = Path("messages.txt");
  CommButton("ctl2260")->click();
  const std::string text = testing::FileText(chosen_);
  EXPECT_EQ(text.substr(0, 4), "m2\r\n");
  EXPECT_EQ(text.substr(text.size() - 7), "m1025\r\n");
  EXPECT_EQ(view->item(0)->text(), "Writing file has been done!");
  EXPECT_EQ(settings_.dumpFile, dir_.path().toStdString());

  // A file that cannot be created is reported; nothing claims success.
  chosen_ = Path("missing-folder/messages.txt");
  CommButton("ctl2260")->click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, chosen_ + "\nCouldn't open the file\nNo such file or directory");
  EXPECT_EQ(boxes_[0].caption, "File Open Error");
  EXPECT_EQ(view->item(1)->text(), "m1025");  // no second "done" line above the first
  EXPECT_EQ(view->count(), 1024);
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
  EXPECT_EQ(settings_.serialMode, 0);
  EXPECT_EQ(Comm().CategoryList()->currentText(), "Com Port");
  auto stored = [this] {
    QSettings ini(QString::fromStdString(Path("kestrel.ini")), QSettings::IniFormat);
    return ini.value("Normal Shutdown").toInt();
  };
  EXPECT_EQ(stored(), 0);  // a crash from here on is noticed next time
  panel_->SetAskOnExit(false);
  panel_.reset();
  EXPECT_EQ(stored(), 1);
}

TEST_F(CommTest, SettingFileSavedFromThePanelMakesAnotherCameraAnswerAlike) {
  camera_->WithModel([](sim::CameraModel& m) {
    m.SetInt("TGSM", 1);
    m.SetInt("LR", 1000);
    m.SetInt("PE", 900);
    m.SetInt("CABA2", 3, 2);
    m.SetText("CABN1", "Lens A, 2");  // a text keeps its blanks and commas
    m.SetInt("CT1R9", 77);            // a factory row
  });
  Start(kModeFactory);
  chosen_ = Path("panel.cam");
  Action("actionSaveAs")->trigger();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].extension, "cam");
  EXPECT_EQ(settings_.dataPath, dir_.path().toStdString());
  const std::string file = testing::FileText(chosen_);
  EXPECT_NE(file.find("LR=1000\r\n"), std::string::npos);
  EXPECT_NE(file.find("CABN1=Lens A, 2\r\n"), std::string::npos);

  // The panel moves to a camera with default settings and replays the file.
  auto second = NewCamera();
  ChoosePort(second->SlavePath());
  ASSERT_EQ(Comm().StateWord()->text(), "Online");
  ASSERT_NE(CameraInt(*second, "LR"), 1000);
  Action("actionOpen")->trigger();
  EXPECT_TRUE(boxes_.empty()) << ::testing::PrintToString(BoxTexts());
  EXPECT_TRUE(panel_->isEnabled());

  for (int row = 0; row < 301; ++row) {
    const auto a = camera_->WithModel(
        [&](sim::CameraModel& m) { return std::make_pair(m.RowInt(row), m.RowText(row)); });
    const auto b = second->WithModel(
        [&](sim::CameraModel& m) { return std::make_pair(m.RowInt(row), m.RowText(row)); });
    EXPECT_EQ(a, b) << cmd_->Table()[row].mnemonic;
  }
  EXPECT_EQ(CameraInt(*second, "CT1R9"), 77);
  cmd_->ClosePort();
}

}  // namespace
}  // namespace kestrel
