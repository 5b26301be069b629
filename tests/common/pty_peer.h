#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::testing {

// The far end of a pseudo-terminal, standing in for a camera. Each line the
// program writes (CR LF stripped) goes to the handler, whose answer is written
// back as it stands. Open the slave path with CRsPort.
class PtyPeer {
 public:
  using Handler = std::function<std::string(const std::string& line)>;

  explicit PtyPeer(Handler handler = {});
  ~PtyPeer();

  const std::string& SlavePath() const { return slavePath_; }
  void SetHandler(Handler handler);
  // Writes bytes to the program unasked.
  void Send(const std::string& bytes);
  // Every line received so far, and every byte.
  std::vector<std::string> Lines() const;
  std::string Bytes() const;
  // Closes the master side: the program sees a hang-up.
  void HangUp();
  int MasterFd() const { return master_; }

 private:
  void Run();

  int master_ = -1;
  int keepSlave_ = -1;
  int wake_[2] = {-1, -1};
  std::string slavePath_;
  mutable std::mutex mutex_;
  Handler handler_;
  std::vector<std::string> lines_;
  std::string bytes_;
  std::string partial_;
  std::thread thread_;
};

}  // namespace kestrel::testing
