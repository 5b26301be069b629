// The service tools against a scripted camera on a pseudo-terminal: the bytes
// on the wire, the files written and why an operation failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "base/text_file.h"
#include "base/text_scan.h"
#include "common/file_text.h"
#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/port_messages.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/about_info.h"
#include "service/afe_register.h"
#include "service/camera_id.h"
#include "service/dac_write.h"
#include "service/fpga_register.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/temperature_monitor.h"
#include "service/terminal_routines.h"

namespace kestrel {
namespace {

using testing::FileText;
using testing::PtyPeer;
using testing::SplitCrLf;

class ServiceWireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = peer.SlavePath();
    // Long enough for a loaded machine, short enough for the silent cases.
    settings.replyTimeoutMs = 1500;
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1) << cmd.OpenFailureText();
  }
  void TearDown() override { cmd.ClosePort(); }
  std::string File(const std::string& name) const { return dir / name; }
  void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  FailureKind Kind() const { return cmd.LastFailure().kind; }
  // The peer's bytes once `count` of them arrived, or what came within 2 s.
  std::string BytesWhenThere(size_t count) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (peer.Bytes().size() < count && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return peer.Bytes();
  }

  testing::TempFolder dir;
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  PtyPeer peer;
};

std::string Complete(const std::string& line) {
  return line.empty() ? "" : "COMPLETE\r\n";
}

TEST_F(ServiceWireTest, AfeWriteCarriesTheDoubleLineEnd) {
  peer.SetHandler(Complete);
  EXPECT_EQ(WriteAfeRegister(cmd, 2, 0x47 - 0x40, "12"), 1);
  EXPECT_EQ(WriteAd5590(cmd, 3, 1, 5, "2048"), 1);
  EXPECT_EQ(WriteBh2220(cmd, "7"), 1);
  // Data that would break the line is refused before anything goes out.
  EXPECT_EQ(WriteAfeRegister(cmd, 2, 0, "1,2"), 0);
  EXPECT_EQ(Kind(), FailureKind::BadInput);
  const std::string want = "AFEW=2, 71, 12, 1\r\n\r\nDACACW=3,1,5,2048\r\n\r\nDACBW=7\r\n\r\n";
  EXPECT_EQ(BytesWhenThere(want.size()), want);
  EXPECT_EQ(ui.log[0], "Tx: AFEW=2, 71, 12, 1");
}

TEST_F(ServiceWireTest, RegisterFilesCountGapsAndEveryAcknowledgement) {
  peer.SetHandler([](const std::string& line) -> std::string {
    if (line.size() < 4 || line[3] != '?') return "";
    const std::string stem = line.substr(0, 3);
    const std::string row = line.substr(4);
    if (stem == "AFB" && row == "2") return "";  // no answer
    if (stem == "AFG" && row == "1") return "ERROR\r\n";
    if (row == "0") return stem + "=12345\r\n";
    return stem + "=" + row + "\r\n";
  });
  // A save with gaps writes them and fails.
  const std::string path = File("afe.csv");
  Write(path, "old");
  EXPECT_EQ(SaveRegisterFile(cmd, path), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  std::vector<std::string> rows = SplitCrLf(FileText(path));
  ASSERT_EQ(rows.size(), 128u);
  EXPECT_EQ(rows[0], "0x12345,----,----");  // five digits are no 16-bit register
  EXPECT_EQ(rows[1], "0x1,----,0x1");
  EXPECT_EQ(rows[2], "0x2,0x2,----");
  EXPECT_EQ(rows[127], "0x7F,0x7F,0x7F");
  EXPECT_EQ(ui.busyDepth, 0);
  const size_t before = peer.Lines().size();

  // A camera that answers anything but "COMPLETE" stops the load at once; a
  // mute one when the probe after its first line goes unanswered too.
  Write(path, "0x1,0x2,0x3\r\n0x4,0x5,0x6\r\n");
  peer.SetHandler([](const std::string& line) { return line.empty() ? "" : "OK\r\n"; });
  EXPECT_EQ(LoadRegisterFile(cmd, path), 0);
  EXPECT_EQ(Kind(), FailureKind::Rejected);
  peer.SetHandler({});
  EXPECT_EQ(LoadRegisterFile(cmd, path), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  std::vector<std::string> sent = peer.Lines();
  EXPECT_EQ(std::vector<std::string>(sent.begin() + static_cast<long>(before), sent.end()),
            (std::vector<std::string>{"AFR=0,1", "AFR=0,1", "EA?"}));

  peer.SetHandler(Complete);
  EXPECT_EQ(LoadRegisterFile(cmd, path), 1);
  EXPECT_EQ(peer.Lines().back(), "AFB=1,6");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ServiceWireTest, SensorMemorySavesTheBlockAndLoadsItBack) {
  peer.SetHandler([](const std::string& line) -> std::string {
    if (line.rfind("AMG?", 0) != 0) return line.empty() ? "" : "COMPLETE\r\n";
    uint32_t address = static_cast<uint32_t>(std::stoul(line.substr(4), nullptr, 16));
    if (address == 0x2805) return "";
    return "AMG=" + ToHex(address - 0x2800) + "\r\n";
  });
  const std::string path = File("mem.csv");
  EXPECT_EQ(SaveSensorMemory(cmd, 2, 5, path), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  std::vector<std::string> words = SplitCrLf(FileText(path));
  ASSERT_EQ(words.size(), 1024u);
  EXPECT_EQ(words[0], "0x0");
  EXPECT_EQ(words[5], "----");
  EXPECT_EQ(words[1023], "0x3FF");
  EXPECT_EQ(peer.Lines().front(), "AMG?2800");
  EXPECT_EQ(peer.Lines().back(), "AMG?2BFF");

  // Filled, the file loads group by group.
  const size_t before = peer.Lines().size();
  words[5] = "0x5";
  Write(path, JoinCrLf(words));
  ASSERT_EQ(LoadSensorMemory(cmd, 1, 0, path), 1);
  std::vector<std::string> sent = peer.Lines();
  sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
  ASSERT_EQ(sent.size(), 128u);
  EXPECT_EQ(sent[0], "AMR=0,0,1,2,3,4,5,6,7");
}

TEST_F(ServiceWireTest, SwitchRefreshKeepsTriggerWhenItsQueryFails) {
  peer.SetHandler([](const std::string& line) -> std::string {
    if (line == "SNOF?") return "SNOF=1\r\n";
    if (line == "STOF?") return "ERROR\r\n";
    return line.empty() ? "" : "COMPLETE\r\n";
  });
  int sensor = 0, trigger = 0;
  EXPECT_EQ(RefreshSensorSwitches(cmd, sensor, trigger), 0);
  EXPECT_EQ(Kind(), FailureKind::Rejected);
  EXPECT_EQ(sensor, 1);
  EXPECT_EQ(trigger, 0);
  EXPECT_EQ(SetSensorSwitch(cmd, SensorSwitch::Trigger, 1), 1);
  EXPECT_EQ(peer.Lines().back(), "STOF=1");
}

TEST_F(ServiceWireTest, DumpToFileWritesWhatArrived) {
  // Into a folder that does not exist: nothing is sent.
  EXPECT_EQ(DumpToFile(cmd, File("missing/dump.csv"), "0", "1"), 0);
  EXPECT_EQ(Kind(), FailureKind::FileError);
  EXPECT_TRUE(peer.Bytes().empty());

  peer.SetHandler([](const std::string& line) -> std::string {
    if (line != "DMW?&H260000, &HC") return "";
    std::string reply;
    for (int i = 0; i < 12; ++i)  // more than asked for
      reply += "DMW=&H" + ToHex(0x260000u + static_cast<uint32_t>(i)) + ", &H" +
               ToHex(0x1Fu + static_cast<uint32_t>(i)) + "\r\n";
    return "DMW=&H260000, &H1F\r\ngarbage\r\n" + reply;
  });
  // What arrived is written; the word that came garbled is counted.
  const std::string path = File("dump.csv");
  EXPECT_EQ(DumpToFile(cmd, path, "260000", "C"), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  std::vector<std::string> rows = SplitCrLf(FileText(path));
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[0], "No.,Address,Data(hex),Data(dec)");
  EXPECT_EQ(rows[1], "1,&H260000,&H1F,31");
  EXPECT_EQ(rows[2], "2,,,");
  EXPECT_EQ(rows[12], "12,&H260009,&H28,40");
  // A mute camera: no file at all. (The two words left over are taken first.)
  peer.SetHandler({});
  cmd.Poll();
  EXPECT_EQ(DumpToFile(cmd, File("mute.csv"), "260000", "C"), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  EXPECT_FALSE(std::ifstream(File("mute.csv")).good());
}

// A correction text of 2048 pixels whose first two lines are given.
std::string PixelText(const std::string& first2) {
  std::string text = first2;
  for (int i = 2; i < kTerminalPixels; ++i)
    text += "0\t0\t0\n";
  return text;
}

TEST_F(ServiceWireTest, WriteCorrectionDataSendsEveryColourThenStores) {
  peer.SetHandler(Complete);
  const std::string path = File("black.txt");
  Write(path, PixelText("1\t2\t3\n4\t-3\t6\n"));
  ASSERT_EQ(WriteCorrectionData(cmd, PixelCorrectionKind::Black, PixelStoreArea::Factory, path), 1);
  const std::vector<std::string> sent = peer.Lines();
  ASSERT_EQ(sent.size(), 3u * kTerminalPixels + 1);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 2),
            (std::vector<std::string>{"PBDR=0,1", "PBDR=1,4"}));
  EXPECT_EQ(sent[2048], "PBDG=0,2");
  EXPECT_EQ(sent[2049], "PBDG=1,-3");
  EXPECT_EQ(sent[4097], "PBDB=1,6");
  EXPECT_EQ(sent.back(), "PBDS=999");

  // A rejection stops before the store command.
  peer.SetHandler([](const std::string& line) -> std::string {
    return line == "PGDG=1,5" ? "NG\r\n" : "COMPLETE\r\n";
  });
  Write(path, PixelText("5 5 5\n5 5 5\n"));
  EXPECT_EQ(WriteCorrectionData(cmd, PixelCorrectionKind::Gain, PixelStoreArea::User, path), 0);
  EXPECT_EQ(Kind(), FailureKind::Rejected);
  EXPECT_EQ(peer.Lines().back(), "PGDG=1,5");
  EXPECT_FALSE(ui.progressOpen);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ServiceWireTest, ReadCorrectionDataTakesTheLastNumberAndNeedsEveryPixel) {
  auto camera = [](bool silentGreen) {
    return [silentGreen](const std::string& line) -> std::string {
      if (line.rfind("PGDG?", 0) == 0)
        return line == "PGDG?0" ? "PGDG=0,9\r\n" : silentGreen ? "" : "PGDG=1\r\n";
      if (line.rfind("PGDR?", 0) == 0)
        return "PGDR=" + line.substr(5) + ",-" + line.substr(5) + "\r\n";
      return "PGDB=7\r\n";
    };
  };
  // A colour that stops answering: the person hears of it, the other colours
  // are still read, but a file of zeros in place of the missing values is
  // never written.
  peer.SetHandler(camera(true));
  const std::string path = File("read.csv");
  EXPECT_EQ(ReadCorrectionData(cmd, ui, PixelCorrectionKind::Gain, path), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  EXPECT_FALSE(std::ifstream(path).good());
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"The routine did not succeed."});
  EXPECT_EQ(peer.Lines().back(), "PGDB?2047");

  peer.SetHandler(camera(false));
  ui.boxes.clear();
  ASSERT_EQ(ReadCorrectionData(cmd, ui, PixelCorrectionKind::Gain, path), 1);
  std::vector<std::string> rows = SplitCrLf(FileText(path));
  ASSERT_EQ(rows.size(), 2049u);
  EXPECT_EQ(rows[0], "R, G, B");
  EXPECT_EQ(rows[1], "0, 9, 7");
  EXPECT_EQ(rows[2], "-1, 1, 7");
  EXPECT_EQ(rows[2048], "-2047, 1, 7");
  EXPECT_TRUE(ui.boxes.empty());
}

// A camera's memory for the video read-back: the dump blocks and the control word.
std::string VideoCamera(const std::string& line, std::atomic<uint32_t>& control) {
  if (line.empty()) return "";
  if (line == "DMW?&H400004,1") return "DMW=&H400004, &H" + ToHex(control) + "\r\n";
  if (line.rfind("WMW=&H400004,&H", 0) == 0) {
    control = static_cast<uint32_t>(std::stoul(line.substr(15), nullptr, 16));
    return "COMPLETE\r\n";
  }
  if (line.rfind("DMW?&H", 0) == 0) {
    const uint32_t base = static_cast<uint32_t>(std::stoul(line.substr(6), nullptr, 16));
    std::string reply;
    for (uint32_t k = 0; k < 2048; ++k) {
      uint32_t value = base >= 0x400000 ? (k == 1   ? 0x80
                                           : k == 2 ? 0x7F
                                                    : 8192)
                                        : base / 0x1000 + k;
      reply += "DMW=&H" + ToHex(base + k) + ", &H" + ToHex(value) + "\r\n";
    }
    return reply;
  }
  return "COMPLETE\r\n";
}

// The black read-back is checked word by word against the simulator; here the
// gain's scaling, the commands and the control word.
TEST_F(ServiceWireTest, ReadVideoDataScalesGainAndRestoresTheControlWord) {
  std::atomic<uint32_t> control{0x1204};
  peer.SetHandler([&control](const std::string& line) { return VideoCamera(line, control); });
  const std::string path = File("video.csv");
  ASSERT_EQ(ReadVideoData(cmd, PixelCorrectionKind::Gain, path), 1);
  std::vector<std::string> rows = SplitCrLf(FileText(path));
  ASSERT_EQ(rows.size(), 2050u);
  EXPECT_EQ(rows[2], "0, 608, 609, 610, 0, 1.000000, 1.000000, 1.000000");
  EXPECT_EQ(rows[3], "1, 609, 610, 611, 1, 0.015625, 0.015625, 0.015625");
  std::vector<std::string> sent = peer.Lines();
  EXPECT_EQ(
      std::vector<std::string>(sent.begin(), sent.begin() + 4),
      (std::vector<std::string>{"WMW=&H260000,&H5001", "PGC=2", "PGR=0", "DMW?&H260000,&H800"}));
  EXPECT_NE(std::find(sent.begin(), sent.end(), "WMW=&H400004,&H1224"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "DMW?&H430000,&H800"), sent.end());
  EXPECT_EQ(sent.back(), "WMW=&H400004,&H1204");

  // An unreadable control word: nothing is written to the camera blindly.
  peer.SetHandler([&control](const std::string& line) {
    return line == "DMW?&H400004,1" ? std::string() : VideoCamera(line, control);
  });
  const std::string other = File("other.csv");
  EXPECT_EQ(ReadVideoData(cmd, PixelCorrectionKind::Gain, other), 0);
  EXPECT_EQ(peer.Lines().back(), "DMW?&H400004,1");
  EXPECT_FALSE(std::ifstream(other).good());
  EXPECT_FALSE(ui.progressOpen);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ServiceWireTest, IdsGoOutOnlyWhole) {
  peer.SetHandler(Complete);
  EXPECT_EQ(SaveUserId(cmd, "0123456789ABCDEF"), 1);
  for (const char* bad : {"0123456789ABCDEFG", "A\r\nULCK=1"}) {  // too long; a smuggled line
    EXPECT_EQ(SaveUserId(cmd, bad), 0);
    EXPECT_EQ(Kind(), FailureKind::BadInput);
  }
  // An empty camera ID box is left out.
  CameraIdBoxes boxes = {"C", "A", "M", "", "0", "0", "0", "0", "0", "1"};
  EXPECT_EQ(SaveCameraId(cmd, boxes), 1);
  EXPECT_EQ(settings.cameraId, "CAM000001");
  EXPECT_EQ(peer.Lines(),
            (std::vector<std::string>{"UD=0123456789ABCDEF", "ULCK=6158273", "ID=CAM000001"}));
  // Without the unlock the ID is not sent.
  peer.SetHandler([](const std::string& l) { return l.rfind("ULCK", 0) == 0 ? "NG\r\n" : ""; });
  EXPECT_EQ(SaveCameraId(cmd, boxes), 0);
  EXPECT_EQ(peer.Lines().back(), "ULCK=6158273");
}

TEST_F(ServiceWireTest, HelpFilesAreThePdfsOfTheFolder) {
  EXPECT_TRUE(ListHelpFiles(dir.Path()).empty());
  Write(File("b.pdf"), "");
  Write(File("A.PDF"), "");
  Write(File("notes.txt"), "");
  Write(File(".pdf"), "");
  EXPECT_EQ(ListHelpFiles(dir.Path()), (std::vector<std::string>{"A.PDF", "b.pdf"}));
  EXPECT_TRUE(ListHelpFiles(File("missing")).empty());
}

TEST_F(ServiceWireTest, AboutFieldsStopAtTheFirstSilentQuery) {
  peer.SetHandler([](const std::string& line) -> std::string {
    if (line == "MD?") return "MD=HX-9302\r\n";
    if (line == "ID?") return "ID=A000000001\r\n";
    if (line == "VN?") return "VN=1234\r\n";
    if (line == "PV?") return "PV=10203\r\n";
    return "";
  });
  CameraInfo info;
  info.fpga1Version = "old";
  EXPECT_EQ(RefreshCameraData(cmd, info), 4);
  EXPECT_EQ(info.modelName, "HX-9302");
  EXPECT_EQ(info.cameraId, "A000000001");
  EXPECT_EQ(info.firmwareVersion, "  1.2.3.4");
  EXPECT_EQ(info.fpga2Version, "  10.2.0.3");
  EXPECT_EQ(info.fpga1Version, "old");
}

TEST_F(ServiceWireTest, FpgaReadWriteAndAverages) {
  peer.SetHandler([](const std::string& line) -> std::string {
    if (line == "FPGARD=&H2B") return "NG\r\n";
    if (line == "FPGARD?") return "FPGARD=255\r\n";
    if (line == "ACC1S?") return "ACC1S=-12\r\n";
    if (line == "ACC2S?") return "";
    return line.empty() || line.rfind("FPGAWR", 0) == 0 ? "" : "COMPLETE\r\n";
  });
  std::string data = "0";
  EXPECT_EQ(ReadFpgaRegister(cmd, "1A", data), 1);
  EXPECT_EQ(data, "FF");
  WriteFpgaRegister(cmd, "1A", "FF");
  std::string acc1 = "---", acc2 = "---";
  EXPECT_EQ(ReadSampleAverage(cmd, 1, acc1), 1);
  EXPECT_EQ(ReadSampleAverage(cmd, 2, acc2), 0);
  EXPECT_EQ(Kind(), FailureKind::NoAnswer);
  EXPECT_EQ(acc1, "-12");
  EXPECT_EQ(acc2, "---");
  // An offset the camera refuses is not read: the query would give the last one's data.
  EXPECT_EQ(ReadFpgaRegister(cmd, "2B", data), 0);
  EXPECT_EQ(Kind(), FailureKind::Rejected);
  EXPECT_EQ(peer.Lines(),
            (std::vector<std::string>{"FPGARD=&H1A", "FPGARD?", "FPGAWR=&H1A, &HFF", "ACC1S=1",
                                      "ACC1S?", "ACC2S=1", "ACC2S?", "FPGARD=&H2B"}));
}

class RecordingHost : public TemperatureHost {
 public:
  void StartTimer(int id, int ms) override {
    events.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
  }
  void StopTimer(int id) override { events.push_back("stop " + std::to_string(id)); }
  void ShowTemperatures(const std::string& a, const std::string& b) override {
    events.push_back(a + " " + b);
  }
  void SetIndicator(bool on) override { events.push_back(on ? "on" : "off"); }
  void ReadingFailed(const Failure& f) override { events.push_back(KindName(f.kind)); }
  std::vector<std::string> events;
};

TEST_F(ServiceWireTest, TemperaturePollingStopsWhenSensor2FailsAndTellsEachFailure) {
  std::atomic<int> sensor2Answers{1};
  peer.SetHandler([&](const std::string& line) -> std::string {
    if (line == "TMP0?") return "TMP0=-16\r\n";
    if (line == "TMP02?" && sensor2Answers-- > 0) return "TMP02=400\r\n";
    return "";
  });
  RecordingHost host;
  TemperatureMonitor monitor(cmd, host);
  monitor.Open();
  EXPECT_TRUE(monitor.Polling());
  monitor.OnTimer(TemperatureMonitor::kFlashTimer);
  monitor.OnTimer(TemperatureMonitor::kPollTimer);  // Sensor2 now silent
  EXPECT_FALSE(monitor.Polling());
  monitor.OnTimer(TemperatureMonitor::kPollTimer);  // a stale tick changes nothing
  EXPECT_EQ(host.events, (std::vector<std::string>{"-1.0 25.0", "start 0 5000", "on", "start 1 500",
                                                   "off", "stop 1", "no-answer", "-1.0 ------",
                                                   "stop 0", "on", "start 1 200"}));

  // A silent camera: both failures are told, the lamp flashes once, no poll.
  peer.SetHandler({});
  RecordingHost silent;
  TemperatureMonitor again(cmd, silent);
  again.Open();
  EXPECT_FALSE(again.Polling());
  EXPECT_EQ(silent.events, (std::vector<std::string>{"no-answer", "no-answer", "------ ------",
                                                     "on", "start 1 500"}));
}

// What the person reads when a routine fails: the camera's or the system's
// reason, in the words the tools have always used.
TEST_F(ServiceWireTest, FailureTextsGiveTheReason) {
  const std::string afe = File("afe.csv");
  const std::string txt = File("gain.txt");
  const std::string missing = File("missing.txt");
  const std::string csv = File("out.csv");
  auto reject = [](const char* stem, const char* reply) {
    return [stem, reply](const std::string& l) -> std::string {
      if (l.empty()) return "";
      return l.rfind(stem, 0) == 0 ? std::string(reply) + "\r\n" : "COMPLETE\r\n";
    };
  };
  auto registers = [](const std::string& l) -> std::string {
    if (l == "AFB?2") return "ERROR\r\n";
    return l.size() > 4 && l[3] == '?' ? l.substr(0, 3) + "=1\r\n" : "";
  };
  auto dump = [](const std::string& l) -> std::string {
    return l == "DMW?&H0, &H2" ? "DMW=&H0, &H1\r\ngarbage\r\n" : "";
  };
  auto silentGreen = [](const std::string& l) -> std::string {
    if (l.rfind("PGDG?", 0) == 0) return "";
    return l == "EA?" ? "EA=1\r\n" : l.substr(0, 4) + "=" + l.substr(5) + "\r\n";
  };
  std::atomic<uint32_t> control{0};
  auto noControlWord = [&control](const std::string& l) {
    return l == "DMW?&H400004,1" ? std::string() : VideoCamera(l, control);
  };
  struct Case {
    PtyPeer::Handler camera;
    std::function<int()> run;
    std::string text;
    MsgIcon icon = MsgIcon::Warning;
    std::string caption = {};
  };
  const Case cases[] = {
      {{},
       [&] { return WriteAfeRegister(cmd, 0, 0, "1,2"); },
       "\"1,2\" is not a value for the AFE data"},
      {registers, [&] { return SaveRegisterFile(cmd, afe); },
       afe + "\n1 of 384 values did not arrive; the file holds \"----\" in their place."},
      {{},
       [&] { return LoadRegisterFile(cmd, afe); },
       afe + "\nline 3: \"----\" is not a \"0x\" hexadecimal number for AFB\nNothing was sent."},
      {{},
       [&] { return LoadRegisterFile(cmd, missing); },
       missing + "\nCouldn't open this file\nNo such file or directory",
       MsgIcon::Warning,
       "File Open Error"},
      {{},
       [&] { return LoadSensorMemory(cmd, 1, 0, afe); },
       afe + "\nline 1: \"0x1,0x1,0x1\" is not a hexadecimal number\nNothing was sent."},
      {reject("AMR", "NG"), [&] { return LoadSensorMemory(cmd, 1, 0, txt); },
       "1 of 1 lines were not accepted (line 1: NG for AMR=0,0,1,2,3,4,5,6,7)"},
      {dump, [&] { return DumpToFile(cmd, csv, "0", "2"); },
       csv + "\n1 of 2 words did not arrive whole; the file holds what came."},
      {{},
       [&] {
         return WriteCorrectionData(cmd, PixelCorrectionKind::Gain, PixelStoreArea::User, missing);
       },
       "Could not open the file, " + missing + ". (No such file or directory)",
       MsgIcon::None},
      {{},
       [&] {
         return WriteCorrectionData(cmd, PixelCorrectionKind::Gain, PixelStoreArea::User, csv);
       },
       csv + "\nthe file holds 3 lines where 2048 pixels are needed\nNothing was sent.",
       MsgIcon::Stop},
      {reject("PGDR", "NG"),
       [&] {
         Write(txt, PixelText("5 5 5\n5 5 5\n"));
         return WriteCorrectionData(cmd, PixelCorrectionKind::Gain, PixelStoreArea::User, txt);
       },
       "Could not write the correction data i=0 j=0\n6144 of 6144 lines were not accepted (line "
       "1: NG for PGDR=0,5)",
       MsgIcon::Stop},
      {reject("PGDS", "ERROR"),
       [&] {
         return WriteCorrectionData(cmd, PixelCorrectionKind::Gain, PixelStoreArea::User, txt);
       },
       "Could not store the correction data.\nERROR for PGDS=0", MsgIcon::Stop},
      {silentGreen, [&] { return ReadCorrectionData(cmd, ui, PixelCorrectionKind::Gain, csv); },
       "2048 of 6144 values did not arrive; no file was written.\n" + std::string(kNoAnswerText)},
      {noControlWord, [&] { return ReadVideoData(cmd, PixelCorrectionKind::Gain, csv); },
       "Could not read the correction memory control word."},
      {reject("UD", "NG"), [&] { return SaveUserId(cmd, "X"); },
       "Couldn't write the User ID.\nNG for UD=X", MsgIcon::Stop},
      {reject("ULCK", "NG"), [&] { return SaveCameraId(cmd, CameraIdBoxes{"A"}); },
       "Couldn't save the CAMERA ID.\nNG for ULCK=6158273", MsgIcon::Stop},
  };
  Write(afe, "0x1,0x1,----\n");
  Write(txt, "0x0\n0x1\n0x2\n0x3\n0x4\n0x5\n0x6\n0x7\n");
  Write(csv, "1\n2\n3\n");
  for (const Case& c : cases) {
    peer.SetHandler(c.camera);
    EXPECT_EQ(c.run(), 0) << c.text;
    EXPECT_EQ(cmd.LastFailure().text, c.text);
    EXPECT_EQ(cmd.LastFailure().icon, c.icon) << c.text;
    EXPECT_EQ(cmd.LastFailure().caption, c.caption) << c.text;
  }
}

}  // namespace
}  // namespace kestrel
