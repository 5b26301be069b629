// The one atomic writer under the failures it exists for: a process killed
// half-way, stale temporary files, links, and the system's reason in every
// message.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "base/file_messages.h"
#include "base/text_file.h"
#include "common/file_text.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

class AtomicWriteTest : public ::testing::Test {
 protected:
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.insert(e.path().filename().string());
    return names;
  }
  std::string Read(const fs::path& file) const {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(file, text));
    return text;
  }

  testing::TempFolder folder_;
  const fs::path dir_{folder_.Path()};
};

// A save killed at any moment leaves the old file or the new one, whole; a
// temporary file it left is removed by the next save of the same target.
TEST_F(AtomicWriteTest, KilledSavesLeaveAWholeFileAndTheNextSaveClearsTemporaries) {
  const fs::path target = dir_ / "dump.csv";
  const std::string contents[] = {std::string(1 << 20, 'a') + "end-a\r\n",
                                  std::string(3 << 20, 'b') + "end-b\r\n",
                                  std::string(2 << 20, 'c') + "end-c\r\n"};
  ASSERT_TRUE(WriteFileAtomically(target, contents[0]));
  std::mt19937 random(7);
  for (int kill = 0; kill < 6; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 1;; i = 3 - i)
        WriteFileAtomically(target, contents[i]);
    }
    ::usleep(2000 + random() % 40000);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string now = Read(target);
    EXPECT_TRUE(now == contents[0] || now == contents[1] || now == contents[2])
        << "torn file of " << now.size() << " bytes after kill " << kill;
  }
  ASSERT_TRUE(WriteFileAtomically(target, contents[0]));
  EXPECT_EQ(Entries(), std::set<std::string>{"dump.csv"});
  EXPECT_EQ(Read(target), contents[0]);
}

TEST_F(AtomicWriteTest, OnlyTemporariesOfDeadProcessesAreRemoved) {
  // A finished child's process id: no process has it now.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string stale = ".afe.txt." + std::to_string(gone) + ".tmpAbC123";
  const std::string live = ".afe.txt." + std::to_string(::getpid()) + ".tmpXyZ789";
  const std::set<std::string> others = {".afe.txt.swp",
                                        ".other.txt." + std::to_string(gone) + ".tmpAbC123"};
  for (const std::string& name :
       std::set<std::string>{stale, live, *others.begin(), *others.rbegin()})
    ASSERT_TRUE(WriteFileAtomically(dir_ / name, "x"));
  ASSERT_TRUE(WriteFileAtomically(dir_ / "afe.txt", "new\r\n"));
  EXPECT_EQ(Entries(), (std::set<std::string>{"afe.txt", live, *others.begin(), *others.rbegin()}));
}

// A link is written through, dangling or not; the link itself stays.
TEST_F(AtomicWriteTest, SavesThroughLinksReplaceTheFileAtTheEnd) {
  fs::create_directory(dir_ / "real");
  fs::create_symlink("real/settings.cam", dir_ / "dangling.cam");
  fs::create_symlink("dangling.cam", dir_ / "chain.cam");
  ASSERT_TRUE(WriteFileAtomically(dir_ / "chain.cam", "one\r\n"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "chain.cam"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.cam"));
  EXPECT_EQ(Read(dir_ / "real/settings.cam"), "one\r\n");

  fs::create_symlink("loop.cam", dir_ / "loop.cam");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir_ / "loop.cam", "x", &error));
  EXPECT_EQ(errno, ELOOP);
  EXPECT_TRUE(fs::is_symlink(dir_ / "loop.cam"));
}

// Only a regular file is replaced: a device node or FIFO is written into, as
// cp does, and a folder is refused; through both writers.
TEST_F(AtomicWriteTest, DevicesAndFifosAreWrittenIntoAndFoldersRefused) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  // A private null device (root only; elsewhere the FIFO rows stand alone).
  const bool device = ::mknod((dir_ / "null").c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0;
  for (const bool lines : {false, true})
    for (const char* name : {"fifo", "null", "folder"}) {
      const fs::path target = dir_ / name;
      if (std::string(name) == "folder") fs::create_directory(target);
      if (!fs::exists(target)) continue;
      // The FIFO's reader is there before the writer comes.
      const int reader = ::open((dir_ / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
      AtomicTextFile file;
      const bool ok = lines ? file.Create(target) && (file.Line("data"), file.Commit())
                            : WriteFileAtomically(target, "data\r\n");
      char got[16] = {};
      [[maybe_unused]] const ssize_t n = ::read(reader, got, sizeof got - 1);
      ::close(reader);
      EXPECT_EQ(ok, std::string(name) != "folder") << name << lines;
      EXPECT_EQ(fs::status(target).type(), std::string(name) == "fifo" ? fs::file_type::fifo
                                           : std::string(name) == "null"
                                               ? fs::file_type::character
                                               : fs::file_type::directory);
      EXPECT_EQ(std::string(got), std::string(name) == "fifo" ? "data\r\n" : "") << lines;
    }
  EXPECT_EQ(Entries().size(), device ? 3u : 2u);  // no temporary file anywhere
}

// The message keeps its own text and caption and ends in the system's reason.
TEST_F(AtomicWriteTest, FailuresCarryTheSystemsReason) {
  const std::string missing = (dir_ / "missing" / "afe.txt").string();
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(missing, "x", &error));
  EXPECT_EQ(error, "cannot create a file in the folder: No such file or directory");
  const Failure write = CannotWrite(missing);
  AtomicTextFile file;
  EXPECT_FALSE(file.Create(dir_.string()));
  const Failure create = CannotCreate(dir_.string(), file.Error());
  EXPECT_EQ(write.text, missing + "\nCouldn't write the file\nNo such file or directory");
  EXPECT_EQ(write.caption, "File Write Error");
  EXPECT_EQ(create.text, dir_.string() + "\nCouldn't open the file\nIs a directory");
  EXPECT_EQ(create.kind, FailureKind::FileError);

  // A disk that fills up while the data goes out: the old file stays, no
  // temporary is left, and the reason reaches the caller. (The file size
  // limit stands in for a full disk; root ignores read-only permissions.)
  const fs::path target = dir_ / "big.csv";
  ASSERT_TRUE(WriteFileAtomically(target, "old\r\n"));
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    AtomicTextFile big;
    if (!big.Create(target)) ::_exit(10);
    big.Line(std::string(10000, '7'));
    ::_exit(big.Commit() ? 11 : big.Error() == EFBIG ? 0 : 12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Read(target), "old\r\n");
  EXPECT_EQ(Entries(), (std::set<std::string>{"big.csv"}));
}

}  // namespace
}  // namespace kestrel
