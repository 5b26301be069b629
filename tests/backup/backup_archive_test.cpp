// The archive a backup travels in: its checksums and what its reader refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "backup/backup_manifest.h"
#include "base/sha256.h"
#include "base/tar_archive.h"

namespace kestrel {
namespace {

TEST(Sha256, GivesTheStandardsTestVectors) {
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

// One good backup and the ways a file can fail to be one: each refused
// whole, with a reason that says which.
TEST(BackupArchive, RefusesEveryDamagedTruncatedOrForeignFile) {
  BackupManifest manifest;
  manifest.cameraId = "A000000001";
  manifest.model = "HX-9302";
  const std::vector<TarMember> members = {{"settings.cam", "LR=1000\r\n"},
                                          {"lut-1.txt", std::string(700, '7')}};
  const std::string good = PackBackup(manifest, members, 1765000000);
  CheckedBackup backup;
  ASSERT_EQ(CheckBackup(good, backup), "");
  ASSERT_EQ(backup.members.size(), 2u);
  EXPECT_EQ(*backup.Find("lut-1.txt"), members[1].data);

  auto flipped = [&](size_t at) {
    std::string s = good;
    s[at] ^= 0x01;
    return s;
  };
  auto typed = [](char type) {
    // The second header turned into another type, its checksum made good.
    std::string s = WriteTar({{"manifest.txt", "x"}, {"a.txt", "y"}}, 0);
    s[1024 + 156] = type;
    unsigned sum = 0;
    for (size_t i = 1024; i < 1536; ++i)
      sum += (i >= 1024 + 148 && i < 1024 + 156) ? ' ' : static_cast<unsigned char>(s[i]);
    std::snprintf(s.data() + 1024 + 148, 8, "%06o", sum);
    return s;
  };
  const std::string manifestText = FormatManifest(backup.manifest);
  const size_t lutData = good.find(std::string(700, '7'));
  const struct {
    const char* what;
    std::string file;
    const char* reason;
  } cases[] = {
      {"cut at a block", good.substr(0, good.size() - 1536), "truncated"},
      {"cut inside a block", good.substr(0, good.size() - 100), "truncated"},
      {"a member's byte changed", flipped(lutData + 3), "SHA-256 checksum does not match"},
      {"a header's byte changed", flipped(512 * 0 + 10), "header checksum"},
      {"a setting file", std::string("LR=1000\r\n") + std::string(1015, '\n'), "not a ustar"},
      {"no manifest first", WriteTar(members, 0), "no manifest.txt"},
      {"a link member", typed('2'), "not a regular file"},
      {"a folder member", typed('5'), "not a regular file"},
      {"an unlisted member",
       WriteTar({{"manifest.txt", manifestText}, members[0], members[1], {"x.csv", "1"}}, 0),
       "the archive holds 3"},
      {"bytes after the end", good + std::string(511, '\0') + "x", "after the end"},
  };
  for (const auto& c : cases) {
    CheckedBackup refused;
    const std::string why = CheckBackup(c.file, refused);
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    EXPECT_TRUE(refused.members.empty()) << c.what;
  }
}

}  // namespace
}  // namespace kestrel
