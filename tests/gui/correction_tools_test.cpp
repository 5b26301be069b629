// The correction tools on the panel, driven by real widget events against the
// simulated camera: the LUT editor's mouse rules and its camera transfers, a
// calibration run to its result, the Data menu's load and save, the blemish
// and tap gain buttons.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "base/text_file.h"
#include "correction/data_file.h"
#include "correction/gui/calibration_dlg.h"
#include "correction/gui/correction_plot.h"
#include "correction/gui/correction_plot_dlg.h"
#include "correction/gui/correction_tools.h"
#include "correction/gui/lut_table_dlg.h"
#include "panel/binding_table.h"
#include "panel/gui/bound_widgets.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class CorrectionToolsTest : public PanelFixture {
 protected:
  CorrectionToolsTest() { cameraOptions_.sequenceIdleMs = 60000; }

  void Start(int mode = kModeUser) {
    ASSERT_NO_FATAL_FAILURE(StartPanel(mode, [this] {
      panel_->SetAskOnExit(false);
      InstallCorrectionTools(*panel_, ui_);
    }));
    tools_ = CorrectionTools::Of(*panel_);
    ASSERT_NE(tools_, nullptr);
    // Transfers without the camera's pacing pause: the simulator keeps up.
    TransferTiming fast;
    fast.pauseMs = 0;
    fast.ackTimeoutMs = 500;
    fast.replyTimeoutMs = 500;
    tools_->Transfer().SetTiming(fast);
    CalibrationTiming calibration;
    calibration.pollIntervalMs = 1;
    tools_->SetCalibrationTiming(calibration);
    boxes_.clear();
  }

  // Runs f on the next modal window that opens (a file dialog, a tool dialog)
  // from inside its own event loop.
  void OnModal(std::function<void(QWidget*)> f) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w || !w->isVisible()) return;
      timer->stop();
      timer->deleteLater();
      f(w);
    });
    timer->start();
  }
  // `then` runs once the choice is made, before the command goes on.
  void ChooseFile(const QString& path, std::function<void()> then = {}) {
    OnModal([path, then](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      if (then) QObject::connect(dialog, &QDialog::accepted, then);
      // Typed into the name box, as a user would: selecting a listed file
      // waits for the dialog's folder model.
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(name, nullptr);
      name->setText(path);
      static_cast<QDialog*>(dialog)->accept();  // as the Open/Save button does
    });
  }

  QAction* MenuItem(const char* menu, const QString& text) {
    auto* action = panel_->findChild<QAction*>(menu);
    if (!action || !action->menu()) return nullptr;
    for (QAction* a : action->menu()->actions())
      if (a->text() == text) return a;
    return nullptr;
  }

  // One mouse move over the LUT graph at graph pixel (gx, gy).
  static void Drag(CLUTDlg& dlg, int gx, int gy, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* graph = dlg.findChild<QWidget*>("lutGraph");
    ASSERT_NE(graph, nullptr);
    const QPointF local(gx, gy);
    QMouseEvent e(QEvent::MouseMove, local, graph->mapToGlobal(local), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(graph, &e);
  }

  CorrectionTools* tools_ = nullptr;
};

// The "Table" buttons open the editor of their channel: the mouse edits its
// points, and its buttons move the table to and from that channel's camera table.
TEST_F(CorrectionToolsTest, LutEditorEditsAndMovesTheTableOfItsChannel) {
  Model([](sim::CameraModel& m) { m.SetInt("LUTC2", 0); });
  Start();
  // The button follows the panel's rule: usable in the "LUT" mode only.
  auto* table2 = panel_->findChild<QPushButton*>("ctl3943");
  ASSERT_NE(table2, nullptr);
  EXPECT_FALSE(table2->isEnabled());
  auto* mode = panel_->View().As<QComboBox>(ctrl::LUTC2);
  mode->setCurrentIndex(2);
  emit mode->activated(2);
  ASSERT_TRUE(table2->isEnabled());
  QTest::mouseClick(table2, Qt::LeftButton);
  CLUTDlg& lut = tools_->Lut(1);
  ASSERT_TRUE(lut.isVisible());

  // A left drag adds a point, a right one deletes it; with a modifier it is
  // no edit; Clear empties.
  Drag(lut, 60, 120, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(lut.Points().Count(), 2);
  Drag(lut, 60, 120, Qt::LeftButton);  // a bright curve
  ASSERT_EQ(lut.Points().Count(), 3);
  Drag(lut, 60, 120, Qt::RightButton);
  ASSERT_EQ(lut.Points().Count(), 2);
  Drag(lut, 60, 120, Qt::LeftButton);
  QTest::mouseClick(lut.findChild<QPushButton*>("button_ClearTableData"), Qt::LeftButton);
  EXPECT_EQ(lut.Points().Count(), 2);
  Drag(lut, 60, 120, Qt::LeftButton);
  const auto ch1 = Model([](sim::CameraModel& m) { return m.Array("LUTD1"); });
  const LutTable drawn = lut.Table();
  EXPECT_GT(drawn[64], 16 * 64);

  QTest::mouseClick(lut.findChild<QPushButton*>("button_WriteTableData"), Qt::LeftButton);
  const std::vector<int32_t> written = Model([](sim::CameraModel& m) { return m.Array("LUTD2"); });
  EXPECT_EQ(written, std::vector<int32_t>(drawn.begin(), drawn.end()));
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Array("LUTD1"); }), ch1);

  // Reading takes the camera's table and switches to View.
  Model([](sim::CameraModel& m) {
    auto& a = m.Array("LUTD2");
    for (int i = 0; i < 256; ++i)
      a[static_cast<size_t>(i)] = 4095 - 16 * i;
  });
  QTest::mouseClick(lut.findChild<QPushButton*>("button_ReadTableData"), Qt::LeftButton);
  EXPECT_EQ(lut.findChild<QLabel*>("lutMode")->text(), "View Mode");
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(lut.Table()[static_cast<size_t>(i)], 4095 - 16 * i) << i;
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;

  // A table the camera refuses says so.
  Model([](sim::CameraModel& m) { m.knobs.rejected = {"LUTD2"}; });
  QTest::mouseClick(lut.findChild<QPushButton*>("button_WriteTableData"), Qt::LeftButton);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].icon, MsgIcon::Warning);
}

TEST_F(CorrectionToolsTest, CalibrationDialogRunsToItsResultAndFollowsTheSetting) {
  Model([](sim::CameraModel& m) {
    m.SetInt("PBC2", 2);
    m.SetInt("SDC2", 0);
  });
  Start();
  // The panel's button opens the dialog of its kind; Run asks for the light,
  // then tells the outcome.
  OnModal([&](QWidget* w) {
    auto* dlg = qobject_cast<CDlgCorrect*>(w);
    ASSERT_NE(dlg, nullptr);
    QTest::mouseClick(dlg->findChild<QPushButton*>("runButton"), Qt::LeftButton);
    dlg->accept();
  });
  QTest::mouseClick(panel_->ToolButton("pixelBlack2"), Qt::LeftButton);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(boxes_[1].icon, MsgIcon::Information);

  // "Off (Bypass)" keeps Run off. Choosing "Factory" reaches the camera and
  // the panel's label; USER mode still keeps Run off. "User" turns it on.
  boxes_.clear();
  Model([](sim::CameraModel& m) { m.knobs.calibrationResult = 3; });
  CDlgCorrect shading(*panel_, ui_, 3);
  auto* run = shading.findChild<QPushButton*>("runButton");
  EXPECT_FALSE(run->isEnabled());
  auto* list = shading.findChild<QComboBox*>("settingList");
  list->setCurrentIndex(1);
  emit list->activated(1);
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Int("SDC2"); }), 1);
  EXPECT_EQ(panel_->View().Text(ctrl::SDC2), "Factory");
  EXPECT_FALSE(run->isEnabled());
  list->setCurrentIndex(2);
  emit list->activated(2);
  ASSERT_TRUE(run->isEnabled());
  // A camera-side failure is shown as a warning.
  QTest::mouseClick(run, Qt::LeftButton);
  EXPECT_EQ(shading.LastResult(), AutoCorrectionResult::CameraError);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.back().icon, MsgIcon::Warning);
}

// The Data menu's commands run on their sensor and show their outcome; the
// file dialog's folder is kept, and No to an overwrite sends nothing.
TEST_F(CorrectionToolsTest, DataMenuLoadsSavesAndStoresOnItsSensor) {
  Start();
  EXPECT_FALSE(tools_->FactoryMenu()->menuAction()->isVisible());
  QTemporaryDir dir;
  std::array<int32_t, 1024> values{};
  for (int i = 0; i < 1024; ++i)
    values[static_cast<size_t>(i)] = (i * 37) % 32767 - 16383;
  const QString in = dir.filePath("black.csv");
  ASSERT_TRUE(WriteFileAtomically(in.toStdString(), FormatDataText(values.data(), 1, 1024)));
  ChooseFile(in);
  MenuItem("menuPixelBlack", "Load from file (Sensor2)…")->trigger();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].icon, MsgIcon::Information);
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Array("PBD2"); }),
            std::vector<int32_t>(values.begin(), values.end()));
  EXPECT_EQ(QString::fromStdString(settings_.dumpFile), dir.path());

  ChooseFile(dir.filePath("back.csv"));
  MenuItem("menuPixelBlack", "Save to file (Sensor2)…")->trigger();
  EXPECT_TRUE(QFile::exists(dir.filePath("back.csv")));
  boxes_.clear();
  yesNo_ = MsgAnswer::No;
  const auto linesBefore = camera_->Stats().linesIn;
  ChooseFile(in);
  MenuItem("menuPixelBlack", "Save to file (Sensor1)…")->trigger();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(camera_->Stats().linesIn, linesBefore);

  boxes_.clear();
  yesNo_ = MsgAnswer::Yes;
  Model([](sim::CameraModel& m) { m.knobs.rejected = {"PBDS2"}; });
  MenuItem("menuPixelBlack", "Store to Camera (Sensor1)")->trigger();
  MenuItem("menuPixelBlack", "Store to Camera (Sensor2)")->trigger();
  ASSERT_EQ(boxes_.size(), 4u);  // each asked first
  EXPECT_EQ(boxes_[1].icon, MsgIcon::Information);
  EXPECT_EQ(boxes_[3].icon, MsgIcon::Warning);
}

TEST_F(CorrectionToolsTest, BlemishAndTapGainButtonsReachTheCameraAndThePanel) {
  Start(kModeFactory);
  EXPECT_TRUE(tools_->FactoryMenu()->menuAction()->isVisible());
  // "W" sends the Pos box; "R" puts the camera's value back.
  panel_->View().SetText(ctrl::BLMP2, "12abc");
  QTest::mouseClick(panel_->ToolButton("blemishWrite2"), Qt::LeftButton);
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Array("BLMP2")[0]; }), 12);
  ASSERT_EQ(boxes_.size(), 1u);  // "Completed"
  panel_->View().SetText(ctrl::BLMP2, "");
  QTest::mouseClick(panel_->ToolButton("blemishRead2"), Qt::LeftButton);
  EXPECT_EQ(panel_->View().Text(ctrl::BLMP2), "12");
  // After the balance the panel shows the camera's tap gains.
  Model([](sim::CameraModel& m) { m.SetInt("GA1T1", 321); });
  QTest::mouseClick(panel_->ToolButton("tapBalance1"), Qt::LeftButton);
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::GA1T1), 321);
}

TEST_F(CorrectionToolsTest, AberrationFileRoundTripFromTheFactoryMenuIgnoresClicksMeanwhile) {
  Start(kModeFactory);
  Model([](sim::CameraModel& m) {
    auto& a = m.Array("CAB2");
    for (size_t i = 0; i < a.size(); ++i)
      a[i] = static_cast<int32_t>(i * 301) - 16000;
  });
  const auto before = Model([](sim::CameraModel& m) { return m.Array("CAB2"); });
  QAction* save = nullptr;
  QAction* load = nullptr;
  for (QAction* a : tools_->FactoryMenu()->actions()) {
    if (a->text() == "Aberration: User Save…") save = a;
    if (a->text() == "Aberration: User Load…") load = a;
  }
  ASSERT_TRUE(save && load);

  // A click on the panel queued while the table moves must not start a
  // detection in the middle of the transfer.
  QPushButton* start = panel_->ToolButton("blemishDetect1");
  auto click = [start](QEvent::Type type) {
    const QPointF at(start->rect().center());
    QCoreApplication::postEvent(
        start, new QMouseEvent(type, at, start->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                               Qt::NoModifier));
  };
  QTemporaryDir dir;
  const QString path = dir.filePath("aberration.csv");
  ChooseFile(path);
  save->trigger();

  Model([](sim::CameraModel& m) {
    for (auto& v : m.Array("CAB2"))
      v = 0;
  });
  boxes_.clear();
  ChooseFile(path, [&] {
    click(QEvent::MouseButtonPress);
    click(QEvent::MouseButtonRelease);
  });
  load->trigger();
  ASSERT_EQ(boxes_.size(), 1u) << boxes_.front().text;  // the completion alone
  EXPECT_EQ(Model([](sim::CameraModel& m) { return m.Array("CAB2"); }), before);
}

// The column buffer dialog sends each A.Black entry as committed, keeps its
// Cancel in reach and closes with one OK.
TEST_F(CorrectionToolsTest, ColumnDialogSendsTheTypedBlackAndClosesWithOneOk) {
  Start(kModeFactory);
  CDlgColumnCal column(*panel_, ui_);
  column.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
  column.findChild<QPushButton*>("startButton")->click();
  auto* green = column.findChild<QSpinBox*>("aBlackG");
  ASSERT_TRUE(green->isEnabled());
  EXPECT_GE(green->width(), green->minimumSizeHint().width());
  green->setFocus();
  green->selectAll();
  QTest::keyClicks(green, "64");
  QTest::keyClick(green, Qt::Key_Return);
  EXPECT_TRUE(Sent("AFG=7C,40"));
  EXPECT_TRUE(column.findChild<QPushButton*>("cancelButton")->isVisible());
  column.findChild<QPushButton*>("okButton")->click();
  EXPECT_EQ(column.result(), QDialog::Accepted);
  EXPECT_TRUE(Sent("CBC0=0,1"));
}

// The plot of correction data: both sensors read from the camera and a file,
// drawn with their outliers; an outlier clicked is shown; the difference
// camera − file leaves only what the file changed.
TEST_F(CorrectionToolsTest, PlotShowsBothSensorsAFileAndTheirOutliers) {
  Start();
  QTemporaryDir folder;
  QAction* view = panel_->MenuAction("actionViewCorrectionData");
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isEnabled());
  view->trigger();
  CCorrectionPlotDlg& dlg = tools_->Plot();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(dlg.ReadCamera(CorrectionKind::PixelGain));
  std::vector<int32_t> file = Model([](sim::CameraModel& m) { return m.Array("PGD"); });
  for (int32_t& v : file)
    v += 200;  // beside the camera's curve, not over it
  file[300] += 700;
  const QString path = QDir(folder.path()).filePath("gain1.csv");
  ASSERT_TRUE(WriteFileAtomically(path.toStdString(), FormatDataText(file.data(), 1, 1024)));
  ASSERT_TRUE(dlg.OpenFile(path));
  ASSERT_EQ(dlg.Shown().size(), 3u);
  EXPECT_EQ(dlg.StatisticsTable().rowCount(), 3);

  for (const CorrectionPlot::Curve& c : dlg.Plot().Curves())
    EXPECT_FALSE(c.marks.empty()) << c.name.toStdString();
  dlg.resize(900, 640);

  // Outliers of both sensors are listed; a click shows one.
  QListWidget& list = dlg.OutlierList();
  EXPECT_FALSE(list.findItems("Sensor2: pixel", Qt::MatchStartsWith).isEmpty());
  QListWidgetItem* last = list.item(list.count() - 1);
  list.scrollToItem(last);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(last).center());
  EXPECT_EQ(dlg.Plot().MarkedPixel(), last->data(Qt::UserRole).toInt());
  EXPECT_LT(dlg.Plot().To() - dlg.Plot().From(), 100);

  dlg.SetDifference(true);
  ASSERT_EQ(dlg.Shown().size(), 2u);

  const QString png = QDir(folder.path()).filePath("plot.png");
  const QString csv = QDir(folder.path()).filePath("stats.csv");
  ASSERT_TRUE(dlg.ExportPng(png));
  ASSERT_TRUE(dlg.ExportStatistics(csv));
  std::string text;
  ASSERT_TRUE(ReadWholeFile(csv.toStdString(), text));
  EXPECT_NE(text.find("Sensor1 - File,300,"), std::string::npos) << text;  // what is shown
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace kestrel
