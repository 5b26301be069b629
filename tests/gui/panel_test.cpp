// The main panel driven by real widget events against the simulated camera on
// a pseudo-terminal: what reaches the camera, how often, and what the window
// shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/link_lamp.h"
#include "gui/prog_dlg.h"
#include "panel/gui/bound_widgets.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class PanelTest : public PanelFixture {
 protected:
  void Start() {
    ASSERT_NO_FATAL_FAILURE(StartPanel(settings_.operatingMode));
    panel_->activateWindow();
    QApplication::processEvents();
  }

  int32_t CameraInt(const char* name) {
    return camera_->WithModel([&](sim::CameraModel& m) { return m.Int(name); });
  }
  void SetCameraInt(const char* name, int32_t v) {
    camera_->WithModel([&](sim::CameraModel& m) { m.SetInt(name, v); });
  }
  uint64_t LinesIn() const { return camera_->Stats().linesIn; }
  template <class T>
  T* W(uint32_t id) {
    T* w = panel_->View().As<T>(id);
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  void Focus(QWidget* w) {
    w->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  // Where a key typed now arrives first.
  QWidget* KeyTarget() {
    QWidget* f = QApplication::focusWidget();
    return f ? f : panel_.get();
  }
  void ModeKeys(QWidget* target) {
    QTest::keyClick(target, Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_K);
    QTest::keyClick(target, Qt::Key_E);
    QTest::keyClick(target, Qt::Key_S);
    QApplication::processEvents();
  }
};

TEST_F(PanelTest, StartUpShowsTheCameraInEveryPanelWidget) {
  SetCameraInt("LR", 1000);
  Start();
  EXPECT_TRUE(boxes_.empty());
  // Every binding the panel itself holds has its widget in the window.
  for (int i = 0; i < panel_->Table().Count(); ++i) {
    const ControlBinding& b = panel_->Table().Slot(i);
    if (b.host == WidgetHost::Panel) {
      EXPECT_TRUE(panel_->View().HasControl(b.controlId)) << b.command << " " << b.controlId;
    }
  }
  EXPECT_EQ(W<SpinEdit>(ctrl::LR)->text(), "1000");
  EXPECT_EQ(W<LinkLamp>(ctrl::SeparatorUser)->State(), 1);

  // The 50 ms poll picks up what the camera sends unasked.
  camera_->SendUnsolicited("EVENT");
  QTRY_VERIFY_WITH_TIMEOUT(std::count(log_.begin(), log_.end(), "Rx: EVENT") == 1, 2000);

  // A camera that goes away turns the lamp off without waiting for a command.
  camera_.reset();
  QTRY_COMPARE_WITH_TIMEOUT(W<LinkLamp>(ctrl::SeparatorUser)->State(), 0, 2000);
}

// Only what the camera reported: an unreadable reply and a value outside the
// panel's range show no value, a red frame and the reply; the strip counts them.
TEST_F(PanelTest, RowsTheCameraDidNotReportShowNoValue) {
  camera_->WithModel([](sim::CameraModel& m) {
    m.knobs.queryReplies = {{"LR", "LR=abc"}, {"PE", "PE=99999"}};
  });
  Start();
  for (uint32_t id : {ctrl::LR, ctrl::PE}) {
    EXPECT_EQ(W<SpinEdit>(id)->text(), "") << id;
    EXPECT_TRUE(W<SpinEdit>(id)->property("readProblem").toBool()) << id;
  }
  EXPECT_TRUE(W<SpinEdit>(ctrl::LR)->toolTip().contains("unreadable reply \"LR=abc\" for LR?"));
  const int read = panel_->Table().ReadCount();
  EXPECT_EQ(panel_->RepliesInLastRefresh(), read - 1);
  EXPECT_EQ(W<LinkLamp>(ctrl::SeparatorUser)->Problem().toStdString(),
            "1 of " + std::to_string(read) +
                " parameters could not be read; 1 lie outside the panel's range");
}

// Keys send once: a list step, a spin step from what was typed, and Enter
// followed by the focus leaving.
TEST_F(PanelTest, KeysInTheControlsSendOnce) {
  SetCameraInt("LR", 13339);
  Start();
  ListBox* tg = W<ListBox>(ctrl::TG);
  Focus(tg);
  QTest::keyClick(tg, Qt::Key_Down);  // "External"
  EXPECT_EQ(CameraInt("TG"), 1);
  EXPECT_FALSE(W<SpinEdit>(ctrl::LR)->isEnabled());
  uint64_t before = LinesIn();
  emit tg->activated(1);  // the same item again
  EXPECT_EQ(LinesIn(), before);
  QTest::keyClick(tg, Qt::Key_Up);
  ASSERT_TRUE(W<SpinEdit>(ctrl::LR)->isEnabled());

  SpinEdit* lr = W<SpinEdit>(ctrl::LR);
  Focus(lr);
  before = LinesIn();
  QTest::keyClick(lr, Qt::Key_Up);
  EXPECT_EQ(CameraInt("LR"), 13340);
  EXPECT_EQ(LinesIn(), before + 2);  // the set and its read-back
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, "400");
  QTest::keyClick(lr, Qt::Key_Return);
  EXPECT_EQ(CameraInt("LR"), 400);
  QTest::keyClick(lr, Qt::Key_Up);
  EXPECT_EQ(CameraInt("LR"), 401);
  EXPECT_EQ(lr->text(), "401");

  // Beyond the range: the limit is sent and shown; leaving sends nothing more.
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, "20000");
  before = LinesIn();
  QTest::keyClick(lr, Qt::Key_Return);
  EXPECT_EQ(CameraInt("LR"), 13340);
  EXPECT_EQ(lr->text(), "13340");
  QTest::keyClick(lr, Qt::Key_Tab);
  EXPECT_FALSE(lr->hasFocus());
  EXPECT_EQ(LinesIn(), before + 2);
}

TEST_F(PanelTest, ModeKeysShowAndHideTheFactoryArea) {
  Start();
  QWidget* factory = panel_->FactoryArea();
  EXPECT_FALSE(factory->isVisible());
  const int userHeight = panel_->height();
  SpinEdit* lr = W<SpinEdit>(ctrl::LR);
  Focus(lr);
  const QString text = lr->text();

  // A wrong letter ends the sequence: the letters up to it were swallowed,
  // those after it were typed.
  QTest::keyClick(lr, Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(lr, Qt::Key_K);
  QTest::keyClick(lr, Qt::Key_X);
  QTest::keyClick(lr, Qt::Key_E);
  QTest::keyClick(lr, Qt::Key_S);
  EXPECT_FALSE(factory->isVisible());
  EXPECT_FALSE(lr->text().contains('k', Qt::CaseInsensitive));
  EXPECT_FALSE(lr->text().contains('x', Qt::CaseInsensitive));
  EXPECT_TRUE(lr->text().endsWith("es", Qt::CaseInsensitive));
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, text);

  ModeKeys(KeyTarget());
  EXPECT_EQ(settings_.operatingMode, kModeFactory);
  EXPECT_TRUE(factory->isVisible());
  EXPECT_TRUE(W<LinkLamp>(ctrl::SeparatorFactory)->isVisible());
  EXPECT_FALSE(W<LinkLamp>(ctrl::SeparatorUser)->isVisible());
  // The refresh after the switch gives the focus back to where it was.
  EXPECT_EQ(QApplication::focusWidget(), lr);
  ModeKeys(KeyTarget());
  EXPECT_EQ(settings_.operatingMode, kModeUser);
  EXPECT_FALSE(factory->isVisible());
  EXPECT_EQ(panel_->height(), userHeight);
}

TEST_F(PanelTest, ProgressWindowDisablesOnlyAnOwnerItDisabled) {
  Start();
  CProgDlg progress;
  progress.SetMessage("Now, reading camera setting data.");
  ASSERT_TRUE(progress.ShowProgress(W<SpinEdit>(ctrl::LR)));
  EXPECT_FALSE(panel_->isEnabled());
  EXPECT_TRUE(progress.isEnabled());
  QTest::keyClick(&progress, Qt::Key_Escape);  // only the operation closes it
  EXPECT_TRUE(progress.isVisible());

  // An error box of the operation can still be answered.
  ui_.SetResponder(nullptr);
  bool boxEnabled = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    boxEnabled = box->isEnabled();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(ui_.Report("Failed", MsgIcon::Warning), MsgAnswer::Ok);
  EXPECT_TRUE(boxEnabled);
  progress.CloseProgress();
  EXPECT_FALSE(progress.isVisible());
  EXPECT_TRUE(panel_->isEnabled());

  panel_->setEnabled(false);
  progress.ShowProgress(panel_.get());
  progress.CloseProgress();
  EXPECT_FALSE(panel_->isEnabled());
  panel_->setEnabled(true);
}

// Escape first takes back what was typed and not sent; then it asks through
// a real message box whether to quit, and only Yes closes. F5 reads the
// camera again, and only reads.
TEST_F(PanelTest, EscapeTakesBackTypingThenAsksToQuitAndF5Rereads) {
  SetCameraInt("LR", 1000);
  Start();
  ui_.SetResponder(nullptr);
  QString seenText;
  auto answerWith = [&](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seenText = box->text();
      box->button(button)->click();
    });
  };
  SpinEdit* lr = W<SpinEdit>(ctrl::LR);
  Focus(lr);
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, "500");
  const uint64_t before = LinesIn();
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  EXPECT_EQ(lr->text(), "1000");
  EXPECT_TRUE(lr->hasFocus());
  EXPECT_TRUE(seenText.isEmpty());
  Focus(W<SpinEdit>(ctrl::AL));  // nothing is left to commit
  EXPECT_EQ(LinesIn(), before);
  SetCameraInt("LR", 4321);
  QTest::keyClick(KeyTarget(), Qt::Key_F5);
  EXPECT_EQ(lr->text(), "4321");
  EXPECT_EQ(CameraInt("LR"), 4321);

  answerWith(QMessageBox::No);
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  EXPECT_EQ(seenText, "Quit Kestrel?");
  EXPECT_TRUE(panel_->isVisible());

  answerWith(QMessageBox::Yes);
  panel_->close();
  EXPECT_FALSE(panel_->isVisible());
}

// A set the camera did not take: one box, even though the box takes the
// focus away from the edit box whose commit caused it; the control and the
// status strip show what the camera holds, and the set is not retried.
TEST_F(PanelTest, ASetTheCameraDidNotTakeShowsWhatItHolds) {
  SetCameraInt("LR", 1000);
  Start();
  ui_.SetResponder(nullptr);
  auto* strip = panel_->findChild<LinkLamp*>("ctl2273");
  // The simulator rejects queries of a rejected name too; this camera takes
  // them again once it has said no.
  camera_->WithModel([](sim::CameraModel& m) { m.knobs.rejected.insert("LR"); });
  int shown = 0;
  QTimer closer;  // answers every box; stops with the test
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++shown;
      camera_->WithModel([](sim::CameraModel& m) { m.knobs.rejected.clear(); });
      box->button(QMessageBox::Ok)->click();
    }
  });
  closer.start(20);

  SpinEdit* lr = W<SpinEdit>(ctrl::LR);
  Focus(lr);
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, "500");
  const uint64_t before = LinesIn();
  QTest::keyClick(lr, Qt::Key_Return);
  QTest::qWait(100);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(LinesIn(), before + 2);  // the set and the question what the camera holds
  EXPECT_EQ(lr->text(), "1000");
  EXPECT_FALSE(panel_->View().IsUnconfirmed(ctrl::LR));
  EXPECT_EQ(strip->Note().toStdString(),
            "The camera did not take LR = 500 (Line Rate, Exposure); it keeps 1000.");
  // A later change of another control does not retry it, and clears the note.
  SpinEdit* al = W<SpinEdit>(ctrl::AL);
  Focus(al);
  QTest::keyClick(al, Qt::Key_Up);
  EXPECT_EQ(LinesIn(), before + 4);  // its set and read-back
  EXPECT_TRUE(strip->Note().isEmpty());

  // No answer at all, not even to the re-read: the last confirmed value,
  // marked, and the status strip says so, until the next successful read.
  camera_->SetSilent(true);
  Focus(lr);
  QTest::keyClick(lr, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(lr, "600");
  QTest::keyClick(lr, Qt::Key_Return);
  EXPECT_EQ(lr->text(), "1000");
  EXPECT_TRUE(panel_->View().IsUnconfirmed(ctrl::LR));
  EXPECT_EQ(strip->Note().toStdString(),
            "The camera did not take LR = 600 (Line Rate, Exposure) nor answer when asked "
            "again; showing 1000, the value it last confirmed.");
  camera_->SetSilent(false);
  panel_->RefreshFromCamera();
  EXPECT_FALSE(panel_->View().IsUnconfirmed(ctrl::LR));
  EXPECT_TRUE(strip->Note().isEmpty());
}

}  // namespace
}  // namespace kestrel
