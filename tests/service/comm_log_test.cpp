#include "service/comm_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/text_file.h"
#include "common/file_text.h"
#include "panel/comm_select.h"
#include "service/message_list.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(CommLog, StampsSecondsSinceStartAcrossATickWrap) {
  uint32_t now = 0xFFFFF000u;  // 4096 ms before the counter wraps
  CommLog log([&] { return now; });
  log.Start();
  log.AppendLog("Tx: EB?");
  now += 12'500;
  log.AppendLog("Rx: EB=0");
  now += 10'000'000;
  log.PrintLog("Received %d data", 3);
  EXPECT_EQ(log.Lines(),
            (std::deque<std::string>{"10012 Received 3 data", "0012 Rx: EB=0", "0000 Tx: EB?"}));
  log.PrintLog("%s", std::string(400, 'x').c_str());
  EXPECT_EQ(log.Lines().front().size(), 6u + 255u);  // cut at 255 characters
  for (int i = 1; i <= 512; ++i)
    log.AppendLog(std::to_string(i));
  ASSERT_EQ(log.Lines().size(), 512u);  // the newest 512
  EXPECT_EQ(log.Lines().back(), "10012 1");
}

TEST(MessageList, KeepsTheNewest1024AndExportsOldestFirst) {
  MessageList list;
  for (int i = 1; i <= 1025; ++i)
    list.AddMessage("m" + std::to_string(i));
  ASSERT_EQ(list.Lines().size(), 1024u);
  EXPECT_EQ(list.Lines().front(), "m1025");
  EXPECT_EQ(list.Lines().back(), "m2");

  testing::TempFolder temp;
  const fs::path dir = temp.Path();
  ASSERT_TRUE(list.Export(dir / "log.txt"));
  std::string text;
  ASSERT_TRUE(ReadWholeFile(dir / "log.txt", text));
  EXPECT_EQ(text.rfind("m2\r\nm3\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 7), "m1025\r\n");
  EXPECT_EQ(list.Lines().front(), "Writing file has been done!");

  const fs::path bad = dir / "missing" / "log.txt";
  EXPECT_FALSE(list.Export(bad));
  EXPECT_EQ(list.LastFailure().kind, FailureKind::FileError);
  EXPECT_EQ(list.Lines().front(), "Writing file has been done!");
  EXPECT_EQ(list.Lines()[1], "m1025");
}

struct MapStore {
  std::map<std::string, int> values;
  int syncs = 0;
  int GetInt(const char* name, int fallback) const {
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
  }
  void SetInt(const char* name, int v) { values[name] = v; }
  bool Sync() { return ++syncs > 0; }
};

TEST(NormalShutdown, AnAbnormalEndStartsOnTheComPort) {
  for (bool normal : {false, true}) {
    MapStore store;
    if (normal) store.values["Normal Shutdown"] = 1;
    Settings s;
    s.serialMode = 3;
    GuardStartup(s, store);
    EXPECT_EQ(s.serialMode, normal ? 3 : 0);
    EXPECT_EQ(store.values["Normal Shutdown"], 0);  // a crash from here on is noticed
    MarkNormalShutdown(store);
    EXPECT_EQ(store.values["Normal Shutdown"], 1);
    EXPECT_EQ(store.syncs, 2);  // each mark reaches the disk at once
  }
}

}  // namespace
}  // namespace kestrel
