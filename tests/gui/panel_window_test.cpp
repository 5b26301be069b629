// The panel as a window on a person's desk: it fits the screen it is on, the
// focus follows the rows, long operations can be cancelled and keep the
// window alive.
//
// The screen is the platform's: the suite runs on the default offscreen
// screen and again on 1366x768 and 1920x1080 screens (tests/CMakeLists.txt).
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "correction/data_transfer.h"
#include "gui/link_lamp.h"
#include "gui/prog_dlg.h"
#include "gui/window_placement.h"
#include "panel/gui/bound_widgets.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class PanelWindowTest : public PanelToolsTest {
 protected:
  QRect Screen() const { return panel_->screen()->availableGeometry(); }
  static bool Inside(const QRect& frame, const QRect& screen) {
    return screen.contains(frame.topLeft()) && screen.contains(frame.bottomRight());
  }
  // Whether the scroll bars can bring w fully into sight.
  bool Reachable(QWidget* w) {
    QApplication::processEvents();
    QScrollArea* area = panel_->ContentArea();
    QWidget* viewport = area->viewport();
    const QRect inContent(w->mapTo(area->widget(), QPoint(0, 0)), w->size());
    area->horizontalScrollBar()->setValue(inContent.right() + 1 - viewport->width());
    area->verticalScrollBar()->setValue(inContent.bottom() + 1 - viewport->height());
    QApplication::processEvents();
    return viewport->rect().contains(QRect(w->mapTo(viewport, QPoint(0, 0)), w->size()));
  }
};

TEST_F(PanelWindowTest, FitsTheScreenInBothModesAndEveryAreaCanBeReached) {
  Start();
  const QRect screen = Screen();
  EXPECT_TRUE(Inside(panel_->frameGeometry(), screen))
      << panel_->frameGeometry().width() << "x" << panel_->frameGeometry().height();
  EXPECT_FALSE(panel_->FactoryArea()->isVisible());
  EXPECT_TRUE(Reachable(panel_->View().Widget(ctrl::CABN3)));
  if (screen.width() >= 1280) {  // USER mode never scrolls sideways on a desk's screen
    EXPECT_EQ(panel_->ContentArea()->horizontalScrollBar()->maximum(), 0);
  }

  panel_->ToggleMode();
  QApplication::processEvents();
  EXPECT_TRUE(Inside(panel_->frameGeometry(), screen));
  ASSERT_TRUE(panel_->FactoryArea()->isVisible());
  // The factory groups and the tool buttons at the far corner scroll into sight.
  EXPECT_TRUE(Reachable(panel_->ToolButton("buttonStoreAll")));
  EXPECT_TRUE(Reachable(panel_->View().Widget(2563)));  // LTPH9, last AFE row
  // The status strip stays in sight wherever the groups are scrolled to.
  auto* strip = panel_->findChild<LinkLamp*>("ctl2266");
  ASSERT_NE(strip, nullptr);
  EXPECT_TRUE(strip->isVisible());
  EXPECT_TRUE(panel_->rect().contains(QRect(strip->mapTo(panel_.get(), QPoint()), strip->size())));

  // Back in USER mode the window does not keep the factory area's room.
  const int factoryHeight = panel_->height();
  panel_->ToggleMode();
  QApplication::processEvents();
  EXPECT_LE(panel_->height(), factoryHeight);
  EXPECT_TRUE(Inside(panel_->frameGeometry(), screen));

  // Each mode comes back in the size it was left in.
  panel_->resize(panel_->size() - QSize(40, 30));
  const QSize user = panel_->size();
  panel_->ToggleMode();
  EXPECT_EQ(panel_->height(), factoryHeight);
  panel_->ToggleMode();
  EXPECT_EQ(panel_->size(), user);
}

TEST_F(PanelWindowTest, ToolWindowsOpenOnTheScreenAndComeBackWhereTheyWere) {
  Start();
  // A panel at the right edge leaves no room beside it: the Communication
  // window, placed before its first layout, used to open off the screen.
  const QRect screen = Screen();
  CCommSelDlg& comm = tools_->Communication();
  comm.hide();
  comm.setProperty("placed", false);
  panel_->move(screen.right() - panel_->frameGeometry().width() + 1, screen.top());
  panel_->MenuAction("actionCommunication")->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&comm));
  EXPECT_TRUE(Inside(comm.frameGeometry(), screen));

  // Its place is remembered when it hides and restored at the next start,
  // and a place that no longer fits the screen is brought back onto it.
  comm.move(screen.left() + 20, screen.top() + 30);
  comm.hide();
  EXPECT_EQ(settings_.windowGeometry["commSelDlg"], GeometryText(QRect(comm.pos(), comm.size())));
  panel_.reset();
  settings_.windowGeometry["commSelDlg"] = "5000,-300,400,300";
  Start();
  CCommSelDlg& again = tools_->Communication();
  panel_->MenuAction("actionCommunication")->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
  EXPECT_TRUE(Inside(again.frameGeometry(), Screen()));
}

TEST_F(PanelWindowTest, WindowPlacesAreKeptByNameInTheSettingsText) {
  QRect g;
  EXPECT_TRUE(ParseGeometry(GeometryText(QRect(-20, 30, 640, 480)), g));
  EXPECT_EQ(g, QRect(-20, 30, 640, 480));
  for (const char* bad : {"", "1,2,3", "1,2,0,4", "a,b,c,d", "1,2,3,4,5"})
    EXPECT_FALSE(ParseGeometry(bad, g)) << bad;
  // Shrunk to the area first, then moved inside it.
  EXPECT_EQ(FitInto(QRect(1200, -50, 400, 900), QRect(0, 0, 1366, 768)), QRect(966, 0, 400, 768));
}

TEST_F(PanelWindowTest, TabFollowsTheRowsOfEachGroup) {
  Start();
  // Within a group the focus moves along a row, then down to the next one.
  for (QGroupBox* group : panel_->findChildren<QGroupBox*>()) {
    QWidget* previous = nullptr;
    for (QWidget* w = panel_->nextInFocusChain(); w != panel_.get(); w = w->nextInFocusChain()) {
      if (!(w->focusPolicy() & Qt::TabFocus) || w->parentWidget() != group || !w->isVisible())
        continue;
      if (previous) {
        const QPoint a = previous->mapTo(group, QPoint()), b = w->mapTo(group, QPoint());
        EXPECT_TRUE(b.y() > a.y() + 2 || (std::abs(b.y() - a.y()) <= 2 && b.x() > a.x()))
            << group->title().toStdString() << ": " << previous->objectName().toStdString()
            << " then " << w->objectName().toStdString();
      }
      previous = w;
    }
  }
}

TEST_F(PanelWindowTest, CancelStopsAReplayAfterTheCommandOnTheLine) {
  Start();
  std::string text;
  for (int v = 11; v <= 90; ++v)
    text += "BLMT=" + std::to_string(v) + "\r\n";
  chosen_ = Path("many.cam");
  QFile file(QString::fromStdString(chosen_));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.c_str());
  file.close();
  camera_->SetLatencyMs(20);

  long sentAtCancel = -1;
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    CProgDlg& progress = ui_.Progress();
    if (sentAtCancel < 0 && SentCount("BLMT=") >= 3 && progress.isVisible()) {
      sentAtCancel = SentCount("BLMT=");
      QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
    }
  });
  clicker.start(5);
  yesNo_ = MsgAnswer::No;  // keep what was sent
  tools_->Open();
  clicker.stop();
  ASSERT_GE(sentAtCancel, 3);
  EXPECT_LE(SentCount("BLMT="), sentAtCancel + 1);
  EXPECT_FALSE(ui_.Progress().isVisible());
  EXPECT_TRUE(panel_->isEnabled());
}

TEST_F(PanelWindowTest, TheWindowStaysAliveWhileATransferWaitsForTheCamera) {
  Start();
  camera_->SetSilent(true);
  TransferTiming timing;
  timing.replyTimeoutMs = 1200;
  CDataTransfer transfer(*cmd_, timing);
  std::vector<int32_t> values(1024);
  QElapsedTimer clock;
  qint64 last = 0, longestGap = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, clock.elapsed() - last);
    last = clock.elapsed();
  });
  ticker.start(20);
  clock.start();
  EXPECT_EQ(transfer.ReadCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  ticker.stop();
  EXPECT_GE(clock.elapsed(), 1200);
  EXPECT_LE(longestGap, 200);
}

}  // namespace
}  // namespace kestrel
