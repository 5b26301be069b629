// File → "Compare with Camera…" against the simulated camera: the table of
// differences, applying chosen rows through the replay and reading them back,
// and saving the camera's values.
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableWidget>

#include "base/text_file.h"
#include "panel/gui/setting_diff_dlg.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class CompareDlgTest : public PanelToolsTest {};

TEST_F(CompareDlgTest, DifferencesApplySelectedAndSaveCameraValues) {
  Start();
  camera_->WithModel([](sim::CameraModel& m) { m.knobs.rejected.insert("TR2"); });
  chosen_ = Path("line.cam");
  ASSERT_TRUE(WriteFileAtomically(
      chosen_, "LR=900\r\nPE=136\r\nCABA2=1,5\r\nCABN1=Lens A,50mm\r\nTR2=1\r\n"));
  QAction* compare = panel_->MenuAction("actionCompareWithCamera");
  ASSERT_NE(compare, nullptr);
  ASSERT_TRUE(compare->isEnabled());
  compare->trigger();
  CCompareDlg* dlg = tools_->CompareWindow();
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
  QTableWidget& table = dlg->Table();
  ASSERT_EQ(table.rowCount(), 4);  // PE agrees
  table.sortItems(1);
  EXPECT_EQ(table.item(1, 1)->text(), "CABN1");
  EXPECT_EQ(table.item(1, 2)->text(), "Lens A,50mm");
  EXPECT_TRUE(table.item(3, 3)->text().startsWith("(ERROR"))  // TR2 refused
      << table.item(3, 3)->text().toStdString();

  // The camera's values cannot be saved while one of them is unknown.
  EXPECT_FALSE(dlg->SaveCameraValues(QString::fromStdString(Path("camera.cam"))));
  EXPECT_EQ(boxes_.size(), 1u);

  // Apply CABN1 and LR: they reach the camera and the panel, and leave the table.
  table.selectionModel()->clearSelection();
  table.selectRow(1);
  table.selectionModel()->select(table.model()->index(2, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  dlg->ApplySelected();
  EXPECT_EQ(camera_->WithModel([](sim::CameraModel& m) { return m.Int("LR"); }), 900);
  EXPECT_EQ(panel_->View().Text(ctrl::LR), "900");
  ASSERT_EQ(table.rowCount(), 2);

  // Once every value can be read, they are saved as a setting file.
  camera_->WithModel([](sim::CameraModel& m) { m.knobs.rejected.clear(); });
  ASSERT_TRUE(dlg->Compare(QString::fromStdString(chosen_)));
  EXPECT_EQ(table.rowCount(), 2);  // CABA2 and TR2
  ASSERT_TRUE(dlg->SaveCameraValues(QString::fromStdString(Path("camera.cam"))));
  std::string saved;
  ASSERT_TRUE(ReadWholeFile(Path("camera.cam"), saved));
  EXPECT_EQ(saved, "LR=900\r\nPE=136\r\nCABA2=1,6\r\nCABN1=Lens A,50mm\r\nTR2=0\r\n");
}

}  // namespace
}  // namespace kestrel
