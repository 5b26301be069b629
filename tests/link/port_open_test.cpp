// Opening and closing the serial port soundly: a second open, the exclusive
// flag, the UUCP lock file, and messages that name cause and cure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/file_text.h"
#include "common/pty_peer.h"
#include "link/port_list.h"
#include "link/port_lock.h"
#include "link/port_messages.h"
#include "link/rs_port.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PtyPeer;

class PortOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PortLock::SetFolder(folder);
    lockFile = folder / PortLock::FileName(fs::canonical(peer.SlavePath()));
  }
  void TearDown() override { PortLock::SetFolder("/var/lock"); }
  bool Exclusive() {
    const int fd = ::open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    int excl = 0;
    ::ioctl(fd, TIOCGEXCL, &excl);
    ::close(fd);
    return excl != 0;
  }
  void WriteLock(int pid, const fs::path& file = {}) {
    std::ofstream(file.empty() ? lockFile : file)
        << std::string(10 - std::to_string(pid).size(), ' ') << pid << '\n';
  }
  PtyPeer peer;
  testing::TempFolder temp;
  fs::path folder{temp.Path()}, lockFile;
  CRsPort port;
};

TEST_F(PortOpenTest, ReopeningCloseClearsTheExclusiveFlagAndTheLockFile) {
  ASSERT_EQ(port.Open(peer.SlavePath(), 9600, 8, 0, 0, 0), 1);
  ASSERT_EQ(port.Open(peer.SlavePath(), 115200, 8, 0, 0, 0), 1);  // closes the first, no abort
  EXPECT_TRUE(Exclusive());
  std::ifstream in(lockFile);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  char expected[16];
  std::snprintf(expected, sizeof expected, "%10d\n", static_cast<int>(::getpid()));
  EXPECT_EQ(text, expected);
  port.Close();
  EXPECT_FALSE(Exclusive());
  EXPECT_FALSE(fs::exists(lockFile));
}

// Input discarded before a command can take bytes the receiving thread was
// just told of; that thread then reads nothing, which is not a hang-up.
TEST_F(PortOpenTest, DiscardingWhileBytesArriveIsNotAHangUp) {
  ASSERT_EQ(port.Open(peer.SlavePath(), 115200, 8, 0, 0, 0), 1);
  std::atomic<bool> done = false;
  std::thread sender([&] {
    for (int i = 0; i < 20000 && !port.Lost(); ++i)
      peer.Send("COMPLETE\r\n");
    done = true;
  });
  while (!done)
    port.DiscardInput();
  sender.join();
  EXPECT_FALSE(port.Lost());
}

TEST_F(PortOpenTest, BusyNamesTheHolderAndAStaleLockIsTakenOver) {
  WriteLock(1);  // init: alive, and not us
  EXPECT_EQ(port.Open(peer.SlavePath(), 9600, 8, 0, 0, 0), 0);
  EXPECT_EQ(port.LastError().kind, PortOpenError::Kind::Busy);
  EXPECT_EQ(port.LastError().holderPid, 1);
  const std::string text = DescribeOpenError(peer.SlavePath(), port.LastError());
  EXPECT_EQ(text.rfind(peer.SlavePath() + " is busy: it is in use by ", 0), 0u) << text;
  EXPECT_NE(text.find("(pid 1)"), std::string::npos) << text;

  WriteLock(0x3ffffff0);  // no such process: left behind
  ASSERT_EQ(port.Open(peer.SlavePath(), 9600, 8, 0, 0, 0), 1);
  // A second port object of the same process is held off by flock, and told by whom.
  CRsPort second;
  EXPECT_EQ(second.Open(peer.SlavePath(), 9600, 8, 0, 0, 0), 0);
  EXPECT_EQ(second.LastError().holderPid, ::getpid());
}

// A port given through a link is locked under both names; a live holder of
// either keeps it, a process ID reused after its holder was killed does not.
TEST_F(PortOpenTest, LinkedPortsAreLockedUnderBothNames) {
  const fs::path link = folder / "by-id-camera", linkLock = folder / PortLock::FileName(link);
  fs::create_symlink(peer.SlavePath(), link);
  const pid_t later = ::fork();  // started after the locks below are dated
  if (later == 0) ::pause();
  const struct {
    fs::path lock;
    int pid, hoursOld, opened;
  } cases[] = {{linkLock, 1, 0, 0}, {lockFile, later, 0, 0}, {linkLock, later, 1, 1}};
  for (const auto& c : cases) {
    WriteLock(c.pid, c.lock);
    fs::last_write_time(c.lock, fs::file_time_type::clock::now() - std::chrono::hours(c.hoursOld));
    EXPECT_EQ(port.Open(link, 9600, 8, 0, 0, 0), c.opened) << c.lock << " " << c.pid;
    EXPECT_EQ(fs::exists(lockFile) && fs::exists(linkLock), c.opened == 1);
    port.Close();
    fs::remove(c.lock);
    EXPECT_FALSE(fs::exists(lockFile) || fs::exists(linkLock));
  }
  ::kill(later, SIGKILL);
  ::waitpid(later, nullptr, 0);
}

TEST(PortMessages, NameCauseAndCure) {
  testing::TempFolder temp;
  const fs::path root = temp.Path();
  for (const char* dir : {"dev/serial/by-id", "sys/class/tty/ttyS0", "sys/class/tty/ttyS1"})
    fs::create_directories(root / dir);
  for (const char* node : {"dev/ttyUSB0", "dev/ttyUSB10", "dev/ttyUSB2", "dev/ttyACM0", "dev/ttyS0",
                           "dev/ttyS1", "dev/tty0"})
    std::ofstream(root / node).put('\n');
  fs::create_symlink("../../ttyUSB2", root / "dev/serial/by-id/usb-FTDI_Camera-if00-port0");
  std::ofstream(root / "sys/class/tty/ttyS0/type") << "4\n";
  std::ofstream(root / "sys/class/tty/ttyS1/type") << "0\n";  // no UART behind it

  std::vector<std::string> paths;
  for (const SerialPortInfo& p : ListSerialPorts(root))
    paths.push_back(p.path + "=" + p.device);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"/dev/serial/by-id/usb-FTDI_Camera-if00-port0=/dev/ttyUSB2",
                                      "/dev/ttyS0=/dev/ttyS0", "/dev/ttyACM0=/dev/ttyACM0",
                                      "/dev/ttyUSB0=/dev/ttyUSB0", "/dev/ttyUSB10=/dev/ttyUSB10"}));

  PortOpenError missing{PortOpenError::Kind::NoDevice, ENOENT, 0};
  EXPECT_EQ(DescribeOpenError("/dev/ttyUSB7", missing, root),
            "no such device: /dev/ttyUSB7 (No such file or directory).\n"
            "Serial devices present:\n"
            "  /dev/serial/by-id/usb-FTDI_Camera-if00-port0 (/dev/ttyUSB2)\n"
            "  /dev/ttyS0\n  /dev/ttyACM0\n  /dev/ttyUSB0\n  /dev/ttyUSB10");
  PortOpenError denied{PortOpenError::Kind::Permission, EACCES, 0};
  EXPECT_EQ(DescribeOpenError("/dev/kestrel-none", denied),
            "permission denied: /dev/kestrel-none (Permission denied).\nJoin the group that owns "
            "the port (dialout): sudo usermod -aG dialout $USER, then log in again.");
}

}  // namespace
}  // namespace kestrel
