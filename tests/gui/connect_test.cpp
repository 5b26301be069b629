// The panel without a camera at start: it keeps looking, picks up a camera
// switched on later and one plugged in again, and always ends at 115200 bit/s.
#include <unistd.h>

#include <QPushButton>

#include "panel/gui/bound_widgets.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class ConnectTest : public PanelFixture {
 protected:
  // A camera at its power-on speed behind the stable name the panel uses.
  void PlugIn() {
    camera_ = std::make_unique<sim::PtyCamera>();
    ::unlink(link_.c_str());
    ASSERT_EQ(::symlink(camera_->SlavePath().c_str(), link_.c_str()), 0);
  }
  void ExpectReadAt115200() {
    QTRY_VERIFY_WITH_TIMEOUT(panel_->Connected(), 15000);
    EXPECT_EQ(settings_.baudRate, 4);
    EXPECT_EQ(camera_->Baud(), 115200);
    EXPECT_EQ(panel_->View().As<SpinEdit>(ctrl::LR)->text(), "1000");
    EXPECT_FALSE(panel_->ConnectButton()->isVisible());
  }
  std::string link_ = Path("camera");
};

TEST_F(ConnectTest, ACameraSwitchedOnLaterOrRepluggedIsReadAt115200) {
  camera_.reset();
  settings_.commDevice = link_;
  expectConnected_ = false;
  StartPanel(kModeUser);
  EXPECT_FALSE(connected_);
  QPushButton* button = panel_->ConnectButton();
  EXPECT_TRUE(panel_->Searching());
  EXPECT_EQ(button->text(), "Cancel");
  EXPECT_EQ(panel_->View().As<SpinEdit>(ctrl::LR)->text(), "");  // no start values
  // Cancel stops looking; F5 looks again at once.
  button->click();
  EXPECT_FALSE(panel_->Searching());
  EXPECT_EQ(button->text(), "Connect");
  QTest::keyClick(panel_.get(), Qt::Key_F5);
  EXPECT_TRUE(panel_->Searching());

  PlugIn();
  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 1000); });
  ASSERT_NO_FATAL_FAILURE(ExpectReadAt115200());

  // Unplugged: no values while it is away; plugged in again at 9600 bit/s.
  camera_.reset();
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Connected(), 3000);
  EXPECT_EQ(panel_->View().As<SpinEdit>(ctrl::LR)->text(), "");
  PlugIn();
  camera_->WithModel([](sim::CameraModel& m) { m.SetInt("LR", 1000); });
  ASSERT_NO_FATAL_FAILURE(ExpectReadAt115200());
}

}  // namespace
}  // namespace kestrel
