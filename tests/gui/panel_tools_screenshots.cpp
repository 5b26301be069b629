// Not a test: the pictures of the terminal, the communication dialog and the
// area dialog for the documentation, taken against the simulated camera.
// Runs only when KESTREL_SCREENSHOT_DIR names the folder to write them to
// (tools/screenshots.sh).
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "panel/gui/areas_dlg.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel_fixture.h"
#include "service/gui/comm_log_dlg.h"

namespace kestrel {
namespace {

class PanelToolsScreenshots : public PanelToolsTest {};

TEST_F(PanelToolsScreenshots, Take) {
  const QString out = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "KESTREL_SCREENSHOT_DIR not set";
  Start(kModeFactory);

  CRsTermDlg& term = *terminal_;
  term.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&term));
  for (const char* line : {"MD?", "VN?", "LR?", "DMW?&H260000, &H4"}) {
    term.findChild<QLineEdit*>("cmdEdit")->setText(line);
    term.Send();
    QTest::qWait(150);
  }
  term.findChild<QLineEdit*>("dumpMemAddr")->setText("260000");
  term.findChild<QLineEdit*>("dumpMemSize")->setText("4");
  term.findChild<QLineEdit*>("wrtMemAddr")->setText("260000");
  term.findChild<QLineEdit*>("wrtMemData")->setText("1F");
  term.findChild<QLineEdit*>("cmdEdit")->setText("LR?");
  term.resize(620, 400);
  QApplication::processEvents();
  EXPECT_TRUE(term.grab().save(out + "/terminal.png"));

  CCommSelDlg& comm = tools_->Communication();
  comm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&comm));
  comm.OnGetArea();
  comm.AreaList()->setCurrentIndex(1);
  comm.adjustSize();
  QApplication::processEvents();
  EXPECT_TRUE(comm.grab().save(out + "/communication.png"));

  CAreaSelDlg area(panel_.get(), false, kModeFactory, 1, ui_.LinkState());
  area.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  QApplication::processEvents();
  EXPECT_TRUE(area.grab().save(out + "/area-select.png"));
}

}  // namespace
}  // namespace kestrel
