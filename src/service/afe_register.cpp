#include "service/afe_register.h"

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "protocol/ack_tally.h"
#include "service/camera_file.h"

namespace kestrel {

namespace {

constexpr int kReplyMs = 3000;
constexpr const char* kStems[3] = {"AFR", "AFG", "AFB"};

// Register names from 0x40 up, one per address.
constexpr const char* kRegisterNames[kAfeAddressCount] = {
    // 0x40
    "STANDBYA", "REFBUF_PDN", "TEST", "DOUTDISABLE", "TEST", "TEST", "TEST", "CDSGAIN", "VGAGAIN",
    "TEST", "CLAMPLEVEL", "TEST", "PBLKPAT", "TEST", "CLI_DIVIDE", "DCRST_EN_P",
    // 0x50
    "SW_RESET", "OUT_CONTROL", "TEST", "TGCORE_RSTB", "CLI_BIAS", "WRITE_MODE", "TEST", "UPDATE",
    "UPDATE", "PREVENTUPDATE", "TEST", "TEST", "TEST", "VDHDLATENCY_CTL", "TEST", "Not_used",
    // 0x60
    "REGION0", "REGION1", "REGION2", "REGION3", "REGION4", "REGION5", "REGION6", "REGION_MSB",
    "CLPOB_TOG1_RCP0", "CLPOB_TOG2_RCP0", "CLPOB_TOG1_RCP1", "CLPOB_TOG2_RCP1", "CLPOB_TOG1_RCP2",
    "CLPOB_TOG2_RCP2", "CLPOB_TOG1_RCP3", "CLPOB_TOG2_RCP3",
    // 0x70
    "CLPOB_TOG1_RCP4", "CLPOB_TOG2_RCP4", "CLPOB_TOG1_RCP5", "CLPOB_TOG2_RCP5", "CLPOB_TOG1_RCP6",
    "CLPOB_TOG2_RCP6", "CLPOB_TOG1_RCP7", "CLPOB_TOG2_RCP7", "CLPOB_TOG_MSB0", "CLPOB_TOG_MSB1",
    "CLPOB_TOG_MSB2", "CLPOB_TOG_MSB3", "CLPOB_TOG_MSB4", "CLPOB_TOG_MSB", "TC_RCP1_0", "TC_RCP1_2",
    // 0x80
    "TC_RCP1_4", "TC_RCP1_6", "PBLKMASK_START1", "PBLKMASK_END1", "PBLKMASK_START2",
    "PBLKMASK_END2", "PBLKMASK_START3", "PBLKMASK_END3", "PBLKMASK_MSB", "PBLK0_TOG1", "PBLK0_TOG2",
    "PBLK1_TOG1", "PBLK1_TOG2", "PBLK0_TOG_MSB", "PBLK1_TOG_MSB", "INT_PBLKCLPOB_POL",
    // 0x90 (the item "SHDTEST " keeps its trailing blank)
    "SHDLOC", "SHP_WIDTH", "TEST", "DOUTPHASEP", "UNUSED", "SHDTEST ", "TEST", "TEST", "Not_used",
    "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used",
    // 0xA0
    "TEST", "TEST", "TCLK_PDN", "TX_CTRL", "CLIP_ZS", "TEST", "NUM_SYNC_WORD", "SYNC_WORD0",
    "SYNC_WORD0", "SYNC_WORD1", "SYNC_WORD1", "SYNC_WORD2", "SYNC_WORD2", "SYNC_WORD3",
    "SYNC_WORD3", "SYNC_WORD4",
    // 0xB0
    "SYNC_WORD4", "SYNC_WORD5", "SYNC_WORD5", "SYNC_WORD6", "SYNC_WORD6", "LVDS_TEST_ENA",
    "TCLK_PATTERN", "TCLK_PATTERN", "TCLK_MODE", "SYNC_RISING_EN", "SYNC_FALLING_EN",
    "SYNC_STARTLOC", "SYNC_STARTLOC", "SYNC_ALIGN", "Not_used", "Not_used",
    // 0xC0
    "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used",
    "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used", "Not_used",
    // 0xD0
    "AFE_UPDT_SCK", "AFE_UPDT_SCK", "AFE_UPDT_VD", "AFE_UPDT_VD", "MISC_UPDT_SCK", "MISC_UPDT_SCK",
    "MISC_UPDT_VD", "MISC_UPDT_VD", "CLPOB_UPDT_SCK", "TEST", "CLPOB_UPDT_VD", "TEST",
    "TGCORE_UPDT_SCK", "TEST", "TGCORE_UPDT_VD", "TEST",
    // 0xE0
    "Not_used", "Not_used", "Not_used", "SCK", "SCK"};

}  // namespace

const std::array<std::string, kAfeSelectorCount>& AfeSelectorItems() {
  static const std::array<std::string, kAfeSelectorCount> items = [] {
    std::array<std::string, kAfeSelectorCount> a;
    for (int k = 1; k <= 16; ++k)
      a[static_cast<size_t>(k - 1)] = "Tap" + std::to_string(k);
    a[3] = "Tqp4";
    a[16] = "Sensor1";
    a[17] = "Sensor2";
    a[18] = "ALL";
    return a;
  }();
  return items;
}

const std::array<std::string, kAfeAddressCount>& AfeAddressItems() {
  static const std::array<std::string, kAfeAddressCount> items = [] {
    std::array<std::string, kAfeAddressCount> a;
    for (int i = 0; i < kAfeAddressCount; ++i)
      a[static_cast<size_t>(i)] =
          "0x" + ToHex(static_cast<uint32_t>(kAfeFirstAddress + i)) + " " + kRegisterNames[i];
    return a;
  }();
  return items;
}

AfeTarget AfeSelectorTarget(int selectorIndex) {
  if (selectorIndex >= 0 && selectorIndex < 16)
    return {1 << (selectorIndex / 2), selectorIndex % 2 == 0 ? 1 : 2};
  if (selectorIndex == 16) return {0x0F, 3};
  if (selectorIndex == 17) return {0xF0, 3};
  return {0xFF, 3};
}

std::string ShdlocMnemonic(int tap) {
  return "SHDL" + std::to_string(tap);
}
std::string ShplocMnemonic(int tap) {
  return "SHPL" + std::to_string(tap);
}

std::string AfeWriteValue(int selectorIndex, int addressIndex, const std::string& dataText) {
  const AfeTarget t = AfeSelectorTarget(selectorIndex);
  return std::to_string(t.chipMask) + ", " + std::to_string(kAfeFirstAddress + addressIndex) +
         ", " + dataText + ", " + std::to_string(t.channel) + "\r\n";
}

int WriteAfeRegister(CCamCmd& cmd, int selectorIndex, int addressIndex,
                     const std::string& dataText) {
  // The data goes as typed, but it must stay one field of one line.
  if (dataText.find_first_not_of(" \t") == std::string::npos ||
      dataText.find_first_of(",\r\n") != std::string::npos) {
    return cmd.Fail(FailureKind::BadInput, "\"" + dataText + "\" is not a value for the AFE data");
  }
  // The value carries its own CR LF and the transaction adds another; the
  // camera has always received the line that way.
  return cmd.SetValue(cmd::AFEW,
                      ParamValue::Text(AfeWriteValue(selectorIndex, addressIndex, dataText)),
                      ReplyTimeout(cmd.Config(), kReplyMs));
}

std::string RegisterFileCommands(std::string_view text, std::vector<std::string>& out) {
  out.clear();
  std::vector<std::string> lines;
  const std::vector<std::string> rows = InputLinesTrimmed(text);
  if (rows.empty()) return "the file holds no rows";
  if (rows.size() > kAfeTableRows)
    return "the file holds " + std::to_string(rows.size()) + " rows where the table has " +
           std::to_string(kAfeTableRows);
  for (size_t row = 0; row < rows.size(); ++row) {
    std::string_view rest = rows[row];
    for (int c = 0; c < 3; ++c) {
      const size_t comma = rest.find(',');
      if ((comma == std::string_view::npos) != (c == 2))
        return LineLabel(row) + "a row holds three values, R, G and B";
      uint32_t value = 0;
      if (std::string why = CheckHexWord(rest.substr(0, comma), value); !why.empty())
        return LineLabel(row) + why + " for " + kStems[c];
      lines.push_back(std::string(kStems[c]) + "=" + ToHex(static_cast<uint32_t>(row)) + "," +
                      ToHex(value));
      rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
  }
  out = std::move(lines);
  return {};
}

bool ParseAfeReply(std::string_view line, std::string_view stem, uint32_t& out) {
  size_t pos = 0;
  if (!ScanLiteral(line, pos, stem) || !ScanLiteral(line, pos, "=")) return false;
  return ScanLastHex(line, pos, out, stem == "AFR" ? 0 : 4);
}

int LoadRegisterFile(CCamCmd& cmd, const std::string& path) {
  std::string text;
  std::vector<std::string> lines;
  if (std::string why = ReadInputFile(path, DataFileCap(kAfeTableRows * 3), text); !why.empty())
    return cmd.Fail(FailureKind::FileError, path + "\nCouldn't open this file\n" + why,
                    MsgIcon::Warning, "File Open Error");
  if (std::string why = RegisterFileCommands(text, lines); !why.empty())
    return cmd.Fail(FailureKind::BadInput, path + "\n" + why + "\nNothing was sent.");
  return SendAcknowledgedLines(cmd, lines, ReplyTimeout(cmd.Config(), kReplyMs));
}

int SaveRegisterFile(CCamCmd& cmd, const std::string& path) {
  auto fill = [&cmd](AtomicTextFile& file, SavedValues& got) {
    got.values = kAfeTableRows * 3;
    for (uint32_t row = 0; row < kAfeTableRows; ++row) {
      if (cmd.Ui().CancelRequested())
        return cmd.Fail(FailureKind::Cancelled, "Stopped after " + std::to_string(row) +
                                                    " of 128 rows; no file was written.");
      std::string text;
      for (int c = 0; c < 3; ++c) {
        // Each query starts clean, so a reply that came too late for the row
        // before is never written into this one.
        cmd.ClearReceive();
        cmd.SendCommand(std::string(kStems[c]) + "?" + ToHex(row) + "\r\n", 1);
        uint32_t value = 0;
        const bool ok = cmd.WaitLine(1, ReplyTimeout(cmd.Config(), kReplyMs)) == 1 &&
                        ParseAfeReply(cmd.PopLine(), kStems[c], value);
        if (c > 0) text += ",";
        text += ok ? "0x" + ToHex(value) : std::string(kAfeMissingValue);
        got.gaps += ok ? 0 : 1;
      }
      file.Line(text);
    }
    return 1;
  };
  return SaveCameraFile(cmd, path, fill, kDashGaps);
}

}  // namespace kestrel
