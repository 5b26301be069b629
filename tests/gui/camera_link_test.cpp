// The communication dialog moving the panel onto a Camera Link serial library
// of each kind (the project's fake libraries, forwarding to the simulator).
#include <QComboBox>
#include <QLabel>
#include <cstdlib>
#include <filesystem>

#include "link/cl_serial.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// build/tests/test_gui -> build/tools/clfake
fs::path FakeDir() {
  if (const char* dir = std::getenv("KESTREL_CLFAKE_DIR")) return dir;
  return fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" / "clfake";
}

class CameraLinkCategoryTest : public PanelToolsTest, public ::testing::WithParamInterface<int> {};

TEST_P(CameraLinkCategoryTest, CategoryListsTheLibraryAndReachesTheCamera) {
  const int kind = GetParam();
  if (!fs::exists(FakeDir() / "cl11" / "libclallserial.so"))
    GTEST_SKIP() << "fake Camera Link libraries not built (target clfake)";
  Start();
  // The grabber's camera: a second simulator, behind the library. The
  // library, not the host, sets the line speed, so the camera takes any.
  sim::SimOptions options;
  options.startBaud = 115200;
  options.checkHostSpeed = false;
  sim::PtyCamera grabberCamera(options);
  grabberCamera.WithModel([](sim::CameraModel& m) { m.SetInt("LR", 2345); });
  ::setenv("KESTREL_CLFAKE_PORT", grabberCamera.SlavePath().c_str(), 1);
  ::setenv("CLSERIALPATH", (FakeDir() / "cl2000").c_str(), 1);
  CClSerial& cl = tools_->CameraLink();
  cl.SetLibraryFile(2, (FakeDir() / "cl2001" / "libclserial.so").string());
  cl.SetLibraryFile(3, (FakeDir() / "cl11" / "libclallserial.so").string());
  // The 2000 interface has no speed functions: its line runs at 9600 only.
  if (kind == 1) tools_->Communication().BaudList()->setCurrentIndex(0);

  CCommSelDlg& comm = tools_->Communication();
  comm.OnCategorySelected(kind);
  EXPECT_EQ(settings_.serialMode, kind);
  ASSERT_GT(comm.PortList()->count(), 0);
  EXPECT_EQ(comm.StateWord()->text(), "Online") << ::testing::PrintToString(BoxTexts());
  EXPECT_EQ(panel_->Table().GetParamInt(ctrl::LR), 2345);

  // Back on the COM port category the pseudo-terminal camera answers again.
  comm.OnCategorySelected(0);
  if (kind == 1) comm.OnBaudSelected(4);
  EXPECT_EQ(comm.StateWord()->text(), "Online");
  EXPECT_NE(panel_->Table().GetParamInt(ctrl::LR), 2345);
  cmd_->ClosePort();
}

INSTANTIATE_TEST_SUITE_P(Kinds, CameraLinkCategoryTest, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace kestrel
