// The service and factory tool windows on the panel, driven by widget events
// against the simulated camera on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

#include "base/text_file.h"
#include "gui/label.h"
#include "gui/prog_dlg.h"
#include "gui/tool_window.h"
#include "panel/gui/bound_widgets.h"
#include "panel_fixture.h"
#include "service/gui/about_info_dlg.h"
#include "service/gui/afe_register_dlg.h"
#include "service/gui/camera_id_dlg.h"
#include "service/gui/dac_write_dlg.h"
#include "service/gui/factory_tools.h"
#include "service/gui/fpga_register_dlg.h"
#include "service/gui/sensor_memory_dlg.h"
#include "service/gui/temperature_monitor_dlg.h"
#include "service/gui/terminal_routines_dlg.h"
#include "service/gui/tool_context.h"
#include "service/terminal_routines.h"

namespace kestrel {
namespace {

class ToolsTest : public PanelFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PanelFixture::SetUp());
    settings_.dumpFile = dir_.path().toStdString();
    AnswerFileDialogs();
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url); });
  }

  void TearDown() override {
    SetDesktopOpener({});
    PanelFixture::TearDown();
  }

  // installFirst: the tools come before the panel resolves its widgets, as at
  // start-up; otherwise after, which needs the table to resolve them again.
  void Start(bool installFirst = true) {
    ASSERT_NO_FATAL_FAILURE(StartPanel(kModeFactory, [this, installFirst] {
      panel_->SetAskOnExit(false);
      if (installFirst) tools_ = InstallFactoryTools(*panel_, ui_);
    }));
    if (!installFirst) {
      tools_ = InstallFactoryTools(*panel_, ui_);
      QApplication::processEvents();
    }
    log_.clear();
  }

  void Click(const char* objectName) {
    auto* b = panel_->findChild<QPushButton*>(objectName);
    ASSERT_NE(b, nullptr) << objectName;
    ASSERT_TRUE(b->isEnabled()) << objectName;
    QTest::mouseClick(b, Qt::LeftButton);
  }

  static void Type(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) s->selectAll();
    QTest::keyClicks(w, text);
  }

  FactoryTools* tools_ = nullptr;
  std::vector<QUrl> opened_;
};

TEST_F(ToolsTest, PanelButtonsOpenTheirWindows) {
  Start();
  const std::pair<const char*, QWidget*> buttons[] = {{"buttonAFEWrite", &tools_->Afe()},
                                                      {"buttonDACWrite", &tools_->Dac()},
                                                      {"buttonFPGARW", &tools_->Fpga()},
                                                      {"buttonSensorMem", &tools_->SensorMemory()},
                                                      {"buttonCameraID", &tools_->CameraId()}};
  for (const auto& [name, window] : buttons) {
    Click(name);
    EXPECT_TRUE(window->isVisible()) << name;
    // Close hides the window; it keeps what it holds for the next press.
    QTest::mouseClick(static_cast<ToolWindow*>(window)->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible()) << name;
  }
  // Installing twice gives the same tools, not a second set of windows.
  EXPECT_EQ(InstallFactoryTools(*panel_, ui_), tools_);
}

TEST_F(ToolsTest, AfeWriteGoesOutAsSelectedAndTyped) {
  Start();
  Click("buttonAFEWrite");
  CSensReg& afe = tools_->Afe();
  afe.Selector()->setCurrentIndex(2);           // Tap3
  afe.Address()->setCurrentIndex(0x47 - 0x40);  // CDSGAIN
  Type(afe.Data(), "12");
  QTest::mouseClick(afe.WriteButton(), Qt::LeftButton);
  EXPECT_TRUE(Sent("AFEW=2, 71, 12, 1")) << ::testing::PrintToString(log_);
  // Why a write failed is shown.
  EXPECT_TRUE(boxes_.empty());
  Type(afe.Data(), "1,2");
  QTest::mouseClick(afe.WriteButton(), Qt::LeftButton);
  EXPECT_EQ(boxes_.size(), 1u);
}

// The tap boxes are bound parameters of the panel, also when the tools come
// after the panel resolved its widgets (no "Invalid handle" message).
TEST_F(ToolsTest, AfeTapBoxesAreBoundParametersOfThePanel) {
  Model([](sim::CameraModel& m) { m.SetInt("SHPL12", 17); });
  Start(/*installFirst=*/false);
  CSensReg& afe = tools_->Afe();
  EXPECT_EQ(afe.Shploc(12)->text(), "17");
  SpinEdit* box = afe.Shdloc(3);
  Type(box, "40");
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_TRUE(Sent("SHDL3=40")) << ::testing::PrintToString(log_);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
}

TEST_F(ToolsTest, DacWritesAndBlackOffsetPartnerIsReadBack) {
  Start();
  Click("buttonDACWrite");
  CDlgDAC& dac = tools_->Dac();
  dac.Function()->setCurrentIndex(3);
  dac.Sensor()->setCurrentIndex(1);
  dac.Channel()->setCurrentIndex(5);
  Type(dac.Ad5590Data(), "2048");
  QTest::mouseClick(dac.Ad5590Write(), Qt::LeftButton);
  EXPECT_TRUE(Sent("DACACW=3,1,5,2048")) << ::testing::PrintToString(log_);
  Type(dac.Bh2220Data(), "77");
  QTest::mouseClick(dac.Bh2220Write(), Qt::LeftButton);
  EXPECT_TRUE(Sent("DACBW=77"));

  // Odd rows share the even row's DAC: only the even row is edited, and a
  // change of it reads the odd row back.
  EXPECT_FALSE(dac.BlackOffset(1, 5)->isEnabled());
  Model([](sim::CameraModel& m) { m.SetInt("B1O5F", 321); });
  log_.clear();
  SpinEdit* b1o4 = dac.BlackOffset(1, 4);
  Type(b1o4, "1000");
  QTest::keyClick(b1o4, Qt::Key_Return);
  const long set = SentAt("B1O4F=1000");
  ASSERT_GE(set, 0) << ::testing::PrintToString(log_);
  EXPECT_GT(SentAt("B1O5F?"), set);
  EXPECT_EQ(dac.BlackOffset(1, 5)->text(), "321");
  // The partner's value read back is the new baseline: nothing is re-sent.
  log_.clear();
  panel_->Table().SendChangedParams();
  EXPECT_EQ(SentAt(""), -1) << ::testing::PrintToString(log_);
}

TEST_F(ToolsTest, FpgaReadWriteAndAverages) {
  Model([](sim::CameraModel& m) { m.fpga[0x1A] = 0xBEEF; });
  Start();
  Click("buttonFPGARW");
  CDlgFpgaReg& fpga = tools_->Fpga();
  Type(fpga.Offset(), "1A");
  QTest::mouseClick(fpga.ReadButton(), Qt::LeftButton);
  EXPECT_EQ(fpga.Data()->text(), "BEEF");
  Type(fpga.Offset(), "20");
  Type(fpga.Data(), "5a");
  QTest::mouseClick(fpga.WriteButton(), Qt::LeftButton);
  EXPECT_TRUE(Sent("FPGAWR=&H20, &H5a"));
  // The write waits for no answer; a person's next click comes after it.
  QTRY_VERIFY_WITH_TIMEOUT(log_.back() == "Rx: COMPLETE", 3000);
  QTest::mouseClick(fpga.GetButton(), Qt::LeftButton);
  EXPECT_EQ(fpga.Average(2)->text(),
            QString::number(Model([](sim::CameraModel& m) { return m.Int("ACC2S"); })));
  // A failed read leaves the field as it was and says why.
  EXPECT_TRUE(boxes_.empty());
  Model([](sim::CameraModel& m) { m.knobs.rejected = {"FPGARD"}; });
  Type(fpga.Data(), "77");
  QTest::mouseClick(fpga.ReadButton(), Qt::LeftButton);
  EXPECT_EQ(fpga.Data()->text(), "77");
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(ToolsTest, TemperaturePollsUntilSensor2FailsAndEndsOnClose) {
  Model([](sim::CameraModel& m) {
    m.SetInt("TMP0", -16);
    m.SetInt("TMP02", 400);
  });
  Start();
  Click("buttonTemp");
  QPointer<CDlgTemp> temp = tools_->Temperature();
  ASSERT_TRUE(temp);
  EXPECT_EQ(temp->Sensor1()->text(), "-1.0 °C");
  EXPECT_EQ(temp->Sensor2()->text(), "25.0 °C");
  EXPECT_TRUE(temp->TimerActive(0));
  // A second press raises the open window instead of opening another.
  Click("buttonTemp");
  EXPECT_EQ(tools_->Temperature(), temp.data());

  Model([](sim::CameraModel& m) { m.knobs.rejected = {"TMP02"}; });
  temp->TimerTick(0);
  EXPECT_EQ(boxes_.size(), 1u);  // the failed reading is told
  EXPECT_EQ(temp->Sensor2()->text(), "------");
  EXPECT_FALSE(temp->TimerActive(0));

  // Closing destroys it; the next press reads afresh.
  QTest::keyClick(temp, Qt::Key_Escape);
  QTRY_VERIFY_WITH_TIMEOUT(temp.isNull(), 2000);
  Model([](sim::CameraModel& m) { m.knobs.rejected.clear(); });
  Click("buttonTemp");
  ASSERT_NE(tools_->Temperature(), nullptr);
  EXPECT_EQ(tools_->Temperature()->Sensor2()->text(), "25.0 °C");
}

// One operation at a time: the temperature window's poll skips its turn while
// the video read-back owns the link, instead of clearing the dump lines the
// routine is collecting.
TEST_F(ToolsTest, TemperaturePollWaitsForTheVideoReadBack) {
  Start();
  Click("buttonTemp");
  QPointer<CDlgTemp> temp = tools_->Temperature();
  ASSERT_TRUE(temp);
  temp->StartTimer(0, 1);  // due at every pump of the routine
  QWidget terminal;
  terminal.show();
  chosen_ = Path("video.csv");
  log_.clear();
  ASSERT_EQ(RunTerminalRoutine(&terminal, kRunBlackAndRead, *cmd_, ui_), 1);
  const long first = SentAt("WMW=&H260000");
  ASSERT_GE(first, 0);
  long last = first;
  for (size_t i = 0; i < log_.size(); ++i)
    if (log_[i].rfind("Tx: WMW=&H400004", 0) == 0) last = static_cast<long>(i);
  for (long i = first; i <= last; ++i)
    EXPECT_NE(log_[static_cast<size_t>(i)], "Tx: TMP0?") << i;
  QFile video(QString::fromStdString(Path("video.csv")));
  ASSERT_TRUE(video.open(QIODevice::ReadOnly));
  EXPECT_EQ(video.readAll().count('\n'), 2050);
  // Afterwards the poll runs again.
  log_.clear();
  QTRY_VERIFY_WITH_TIMEOUT(Sent("TMP0?"), 2000);
}

TEST_F(ToolsTest, SensorMemorySwitchesRefreshAndFiles) {
  Model([](sim::CameraModel& m) { m.SetInt("SNOF", 1); });
  Start();
  Click("buttonSensorMem");
  CSensMem& mem = tools_->SensorMemory();
  EXPECT_EQ(mem.SensorSwitch()->currentIndex(), 1);
  mem.SensorSwitch()->setCurrentIndex(0);
  EXPECT_TRUE(Sent("SNOF=0"));

  // Load from the colour and block chosen; loading keeps the tool folder.
  ASSERT_TRUE(WriteFileAtomically(Path("words.csv"), "0x1\n0x2\n0x3\n0x4\n0x5\n0x6\n0x7\n0x8\n"));
  mem.Colour()->setCurrentIndex(1);  // RED
  mem.Block()->setCurrentIndex(5);   // MEMCH0
  chosen_ = Path("words.csv");
  settings_.dumpFile = "/elsewhere";
  QTest::mouseClick(mem.LoadButton(), Qt::LeftButton);
  EXPECT_TRUE(Sent("AMR=2800,1,2,3,4,5,6,7,8")) << ::testing::PrintToString(log_);
  EXPECT_EQ(settings_.dumpFile, "/elsewhere");

  // Save into an existing file: asked first, and No leaves it alone.
  yesNo_ = MsgAnswer::No;
  log_.clear();
  QTest::mouseClick(mem.SaveButton(), Qt::LeftButton);
  EXPECT_EQ(SentAt("AMR?"), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].buttons, MsgButtons::YesNo);
  yesNo_ = MsgAnswer::Yes;
  QTest::mouseClick(mem.SaveButton(), Qt::LeftButton);
  EXPECT_GE(SentAt("AMR?"), 0);
  EXPECT_EQ(settings_.dumpFile, dir_.path().toStdString());
}

TEST_F(ToolsTest, AboutShowsCameraFieldsAndGuardsTheUserId) {
  Model([](sim::CameraModel& m) { m.SetText("UD", "LINE-3"); });
  Start();
  auto* action = panel_->findChild<QAction*>("actionAbout");
  ASSERT_TRUE(action && action->isEnabled());
  action->trigger();
  CAboutDlg& about = tools_->About();
  EXPECT_EQ(about.UserId()->text(), "LINE-3");
  // Protected until the user asks to edit.
  EXPECT_FALSE(about.UserId()->isEnabled());
  EXPECT_FALSE(about.SaveButton()->isEnabled());
  QTest::mouseClick(about.Edit(), Qt::LeftButton);
  ASSERT_TRUE(about.SaveButton()->isEnabled());

  about.UserId()->clear();
  QTest::keyClicks(about.UserId(), "ABCDEFGHIJKLMNOPQ");  // 17
  log_.clear();
  QTest::mouseClick(about.SaveButton(), Qt::LeftButton);
  EXPECT_EQ(SentAt("UD"), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].icon, MsgIcon::Stop);
  QTest::keyClick(about.UserId(), Qt::Key_Backspace);  // 16
  QTest::mouseClick(about.SaveButton(), Qt::LeftButton);
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Text("UD"); }), "ABCDEFGHIJKLMNOP");
  ASSERT_EQ(boxes_.size(), 3u);  // the flash question, then the outcome
  EXPECT_EQ(boxes_[2].icon, MsgIcon::Information);

  // Help files: View opens the one listed, or says none was.
  const QString old = QDir::currentPath();
  QDir::setCurrent(dir_.path());
  QFile(dir_.filePath("manual.pdf")).open(QIODevice::WriteOnly);
  about.FillHelpList();
  QTest::mouseClick(about.ViewButton(), Qt::LeftButton);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QUrl::fromLocalFile(dir_.filePath("manual.pdf")));
  QFile::remove(dir_.filePath("manual.pdf"));
  about.FillHelpList();
  QDir::setCurrent(old);
  QTest::mouseClick(about.ViewButton(), Qt::LeftButton);  // "No file was selected!!"
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_EQ(boxes_.size(), 4u);
}

TEST_F(ToolsTest, CameraIdUnlocksAndSavesWhatTheBoxesHold) {
  Start();
  CDlgCameraId& dlg = tools_->CameraId();
  Type(dlg.Box(1), "B");
  dlg.Box(4)->clear();  // an empty box gives nothing: nine characters
  yesNo_ = MsgAnswer::No;
  QTest::mouseClick(dlg.SetButton(), Qt::LeftButton);
  EXPECT_EQ(SentAt("ULCK"), -1);
  yesNo_ = MsgAnswer::Yes;
  QTest::mouseClick(dlg.SetButton(), Qt::LeftButton);
  EXPECT_TRUE(Sent("ID=AB0000000"));
  // The boxes take one printable character, nothing wider.
  dlg.Box(0)->clear();
  QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("é"));
  QApplication::sendEvent(dlg.Box(0), &wide);
  EXPECT_EQ(dlg.Box(0)->text(), "");
}

TEST_F(ToolsTest, TerminalRoutineAsksForTheFileAndKeepsTheFolder) {
  Start();
  QWidget terminal;
  terminal.show();
  // Cancelled: nothing sent.
  chosen_.clear();
  EXPECT_EQ(RunTerminalRoutine(&terminal, kReadBlack, *cmd_, ui_), 0);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(requests_[0].save);
  EXPECT_EQ(SentAt(""), -1);

  // A write from a file: the panel is disabled meanwhile and enabled again after.
  QDir(dir_.path()).mkdir("sub");
  std::string pixels;
  for (int i = 0; i < kTerminalPixels; ++i)
    pixels += "0\t0\t0\n";
  ASSERT_TRUE(WriteFileAtomically(Path("sub/pixels.txt"), pixels));
  chosen_ = Path("sub/pixels.txt");
  bool panelDisabled = false;
  QObject::connect(&ui_, &QtUserInterface::logLine, panel_.get(),
                   [&] { panelDisabled = panelDisabled || !panel_->isEnabled(); });
  EXPECT_EQ(RunTerminalRoutine(&terminal, kWriteBlackUser, *cmd_, ui_), 1)
      << ::testing::PrintToString(BoxTexts());
  EXPECT_FALSE(requests_.back().save);
  EXPECT_EQ(settings_.dumpFile, Path("sub"));
  EXPECT_TRUE(panelDisabled);
  EXPECT_TRUE(panel_->isEnabled());
  EXPECT_EQ(ui_.Owner(), panel_.get());
  EXPECT_FALSE(ui_.Progress().isVisible());
}

}  // namespace
}  // namespace kestrel
