// The communication dialog's core: port lists per category and reconnection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "panel/comm_select.h"
#include "panel/connection.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(CommSelect, CameraLinkDllNoOutsideTheListFallsBackToTheFirstPort) {
  const fs::path fake = fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" /
                        "clfake" / "cl11" / "libclallserial.so";
  ASSERT_TRUE(fs::exists(fake));
  ::setenv("KESTREL_CLFAKE_PORTS", "3", 1);
  Settings s;
  testing::RecordingUi ui;
  CClSerial cl(s);
  cl.SetLibraryFile(3, fake.string());
  s.serialMode = 3;
  s.dllNo = 7;
  PortChoice c = FillPorts(s, cl);
  ::unsetenv("KESTREL_CLFAKE_PORTS");
  EXPECT_EQ(c.items.size(), 3u);
  EXPECT_EQ(c.selection, 0);
  EXPECT_EQ(s.dllNo, 0);
  EXPECT_EQ(cl.SelectedEntry(), "Kestrel Fake - port0");
  StorePortSelection(s, cl, c, 2);
  EXPECT_EQ(s.dllNo, 2);
  EXPECT_EQ(cl.SelectedEntry(), "Kestrel Fake - port2");
}

TEST(CommSelect, ReconnectClosesFirstAndRefreshesOnlyWhenTheCameraAnswers) {
  testing::PtyPeer peer([](const std::string& line) {
    return line == "EA?" ? std::string("EA=1\r\n") : std::string();
  });
  Settings s;
  testing::RecordingUi ui;
  CCamCmd cmd(s, ui);
  Connection connection(cmd, Connection::Timing{200, 0, 200});
  s.commDevice = peer.SlavePath();
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);

  int refreshed = 0;
  bool openWhileChanging = true;
  auto connect = [&] { return connection.Connect(); };
  auto refresh = [&] { ++refreshed; };
  EXPECT_TRUE(Reconnect(
      cmd, [&](Settings&) { openWhileChanging = cmd.LinkOpen(); }, connect, refresh));
  EXPECT_FALSE(openWhileChanging);
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(ui.LastLinkState(), 1);

  EXPECT_FALSE(Reconnect(
      cmd, [](Settings& c) { c.commDevice = "/nonexistent/tty"; }, connect, refresh));
  EXPECT_EQ(connection.LastFailure().text.rfind(
                "Failed to initialize!\nno such device: /nonexistent/tty", 0),
            0u);
  EXPECT_EQ(ui.LastLinkState(), 0);
  EXPECT_EQ(refreshed, 1);
}

}  // namespace
}  // namespace kestrel
