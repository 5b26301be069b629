#include "panel/areas.h"

#include <gtest/gtest.h>

#include "panel_fixture.h"

namespace kestrel {
namespace {

using testing::PtyPeer;

TEST(AreaSelection, StoreListAndPreselectionFollowTheMode) {
  struct Case {
    bool loading;
    int mode;
    int current;
    std::vector<std::string> items;
    int selection;
  };
  const std::vector<std::string> all = {"Factory", "User1", "User2"};
  const std::vector<std::string> users = {"User1", "User2"};
  const Case cases[] = {
      {true, kModeUser, 2, all, 2},     {true, kModeUser, 0, all, 0},
      {false, kModeUser, 0, users, 0},  // Factory current: "User1" preselected
      {false, kModeUser, 1, users, 0},  {false, kModeUser, 2, users, 1},
      {false, kModeFactory, 0, all, 0}, {false, kModeFactory, 2, all, 2},
      {true, kModeFactory, -4, all, 0}, {true, kModeUser, 9, all, 2},
      {false, kModeUser, 7, users, 1},
  };
  for (const Case& c : cases) {
    const AreaChoice choice = AreaSelection(c.loading, c.mode, c.current);
    EXPECT_EQ(choice.items, c.items) << c.loading << c.mode << c.current;
    EXPECT_EQ(choice.selection, c.selection) << c.loading << c.mode << c.current;
  }
  EXPECT_EQ(AreaOfItem("User2"), 2);
  EXPECT_EQ(AreaOfItem("user2"), -1);
}

// The simulated camera's place taken by answers the test chooses.
class AreaCommandTest : public testing::PanelTest {
 protected:
  void Answer(PtyPeer::Handler f) { camera.Peer().SetHandler(std::move(f)); }
  void SetUp() override {
    PanelTest::SetUp();
    Answer([](const std::string& line) {
      return line == "EA?" ? std::string("EA=2\r\n") : std::string("COMPLETE\r\n");
    });
  }
  testing::FakePanel panel;
  int current = 0;
};

TEST_F(AreaCommandTest, StoreAllSendsAllThreeAndTellsEachFailure) {
  Answer([](const std::string& line) {
    return line == "SA=1" ? std::string("COMPLETE\r\n") : std::string("NG\r\n");
  });
  EXPECT_EQ(StoreAllAreas(cmd, ui), 0);
  EXPECT_EQ(camera.Peer().Bytes(), "SA=2\r\nSA=1\r\nSA00=0\r\n");
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"NG for SA=2", "NG for SA00=0"}));
  EXPECT_EQ(cmd.LastFailure().text, "Couldn't store current setting data!");

  Answer([](const std::string&) { return std::string("COMPLETE\r\n"); });
  EXPECT_EQ(StoreAllAreas(cmd, ui), 1);
}

TEST_F(AreaCommandTest, LoadStoreAndReloadKeepTheCurrentArea) {
  EXPECT_EQ(LoadSettingsArea(cmd, current, 1, &panel), 1);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(StoreSettingsArea(cmd, current, 0), 1);
  EXPECT_EQ(current, 0);
  EXPECT_EQ(StoreSettingsArea(cmd, current, 3), 0);  // no such store command: nothing sent
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::BadInput);
  EXPECT_EQ(ReloadSettings(cmd, current, &panel), 1);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(panel.refreshed, 2);
  EXPECT_EQ(camera.Peer().Bytes(), "LD=1\r\nSA00=0\r\nEB=0\r\nEA?\r\n");

  // A rejected load changes the current area but reads nothing.
  Answer([](const std::string&) { return std::string("NG\r\n"); });
  EXPECT_EQ(LoadSettingsArea(cmd, current, 1, &panel), 0);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Rejected);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(panel.refreshed, 2);
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace kestrel
