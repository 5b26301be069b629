// kestrelctl through ser2net, the relay a plant runs, in front of
// kestrel-camsim: raw TCP and RFC 2217, and a relay that restarts.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <fstream>

#include "camsim_process.h"
#include "ctl_run.h"

#if defined(CAMSIM_PATH) && defined(KESTRELCTL_PATH)

namespace {

using namespace kestrel::testing;

constexpr const char* kSer2net = "/usr/sbin/ser2net";

// A socket on 127.0.0.1 connected to `port`, or bound to a free one (then
// let go for the relay): the port, 0 when that failed.
int Loopback(int port, bool connect) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t size = sizeof a;
  auto* at = reinterpret_cast<sockaddr*>(&a);
  const int r =
      connect ? ::connect(fd, at, size) : ::bind(fd, at, size) | ::getsockname(fd, at, &size);
  ::close(fd);
  return r == 0 ? ntohs(a.sin_port) : 0;
}

// ser2net on 127.0.0.1 with one connection to the camera's port.
class Relay {
 public:
  Relay(const std::string& device, bool rfc2217) : port_(Loopback(0, false)) {
    // ser2net takes a file for YAML by its ending.
    config_ = TempPath(rfc2217 ? "ser2net_rfc2217" : "ser2net_tcp") + ".yaml";
    std::ofstream(config_)
        << "connection: &camera\n  accepter: " << (rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
        << "127.0.0.1," << port_ << "\n  connector: serialdev," << device
        << ",9600n81,local\n  options:\n    kickolduser: true\n    chardelay: false\n";
    url_ = std::string(rfc2217 ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port_);
  }
  ~Relay() {
    Stop();
    std::remove(config_.c_str());
  }
  // True once the relay accepts connections.
  bool Start() {
    const int null = ::open("/dev/null", O_WRONLY);
    pid_ = Spawn({kSer2net, "-n", "-u", "-c", config_}, null, null);
    ::close(null);
    for (int i = 0; i < 500; ++i) {
      if (Loopback(port_, true) != 0) return true;
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) return pid_ = -1, false;  // it ended
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    Wait(pid_, 5s);
    pid_ = -1;
  }
  const std::string& Url() const { return url_; }

 private:
  int port_;
  pid_t pid_ = -1;
  std::string config_, url_;
};

TEST(Ser2netRelay, QueriesReadsEverythingAndWritesThroughTheRelay) {
  if (::access(kSer2net, X_OK) != 0) GTEST_SKIP() << "ser2net is not installed";
  struct Case {
    bool rfc2217;
    const char* speedAfterReadAll;  // CBDRT: 16 once moved to 115200, 1 left at 9600
  };
  for (const Case& c : {Case{false, "1\n"}, Case{true, "16\n"}}) {
    CamSim cam({"--no-link"});
    Relay relay(cam.Path(), c.rfc2217);
    if (!relay.Start()) GTEST_SKIP() << "ser2net does not run here";
    const std::string port = "--port " + relay.Url() + " ";
    CtlResult r = Ctl(port + "set LR=1000 CABN1=Wide");
    EXPECT_EQ(r.status, 0) << relay.Url() << r.err;
    r = Ctl(port + "read-all --factory");
    EXPECT_EQ(r.status, 0) << relay.Url() << r.err;
    EXPECT_NE(r.out.find("\nLR=1000\n"), std::string::npos) << r.out.substr(0, 200);
    r = Ctl(port + "query CBDRT LR");
    EXPECT_EQ(r.out, c.speedAfterReadAll + std::string("1000\n")) << relay.Url() << r.err;
    // Over raw TCP a speed change would strand the camera: refused, nothing sent.
    r = Ctl(port + "set LR=500 CBDRT=16");
    EXPECT_EQ(r.status, c.rfc2217 ? 0 : 2) << r.err;
    EXPECT_EQ(Ctl(port + "query LR").out, c.rfc2217 ? "500\n" : "1000\n");

    // A relay that restarts: no connection meanwhile, then the camera again.
    relay.Stop();
    r = Ctl(port + "query LR");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot connect to " + relay.Url()), std::string::npos) << r.err;
    ASSERT_TRUE(relay.Start());
    EXPECT_EQ(Ctl(port + "query MD").out, "HX-9302\n") << relay.Url();
  }
}

}  // namespace

#endif  // CAMSIM_PATH && KESTRELCTL_PATH
