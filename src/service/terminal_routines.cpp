#include "service/terminal_routines.h"

#include <climits>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "base/translate.h"
#include "protocol/ack_tally.h"
#include "service/memory_dump.h"

namespace kestrel {

namespace {

constexpr const char* kSuffix[3] = {"R", "G", "B"};
constexpr int kPixelAckMs = 3000;
constexpr int kStoreAckMs = 5000;
constexpr int kPixelReplyMs = 1000;
constexpr int kDumpIdleMs = 3000;
constexpr int kControlWordMs = 500;
constexpr uint32_t kGainOne = 8192;  // correction gain 1.0

ColourTables ZeroTables() {
  ColourTables t;
  for (auto& v : t)
    v.assign(kTerminalPixels, 0);
  return t;
}

// A raw line with its acknowledgement, as the video read-back's set-up sends
// it. The receive queue is cleared first so that a stale line is never taken
// for the acknowledgement.
int SendAcknowledged(CCamCmd& cmd, const std::string& line, int timeoutMs) {
  cmd.ClearReceive();
  cmd.SendCommand(line + "\r\n", 1);
  return cmd.WaitComplete(ReplyTimeout(cmd.Config(), timeoutMs), 1);
}

// Dumps one block of 2048 words into the table, scaling progress from `base`.
// False when fewer than 2048 lines came.
int ReadDumpBlock(CCamCmd& cmd, const std::string& dumpLine, PixelCorrectionKind kind,
                  bool correction, int block, int base, std::vector<int32_t>& table) {
  UserInterface& ui = cmd.Ui();
  cmd.ClearReceive();
  cmd.SendCommand(dumpLine + "\r\n", 1);
  const int got = CollectLines(cmd, kTerminalPixels, ReplyTimeout(cmd.Config(), kDumpIdleMs));
  if (got < kTerminalPixels)
    return cmd.Fail(cmd.LinkLost() ? FailureKind::Lost : FailureKind::NoAnswer,
                    "The camera sent " + std::to_string(got) + " of " +
                        std::to_string(kTerminalPixels) + " lines for " + dumpLine +
                        "; no file was written.");
  for (int k = 0; k < got; ++k) {
    const uint32_t word = DumpSplitValue(SplitDumpReply(cmd.PopLine()));
    table[static_cast<size_t>(k)] =
        correction ? CorrectionMemoryValue(kind, word) : static_cast<int32_t>(word);
    if (k % 256 == 0) {
      ui.SetProgressPercent(base + (block * kTerminalPixels + k) * 50 / (3 * kTerminalPixels));
      ui.PumpOneMessage();
    }
  }
  return 1;
}

// Ends a routine with a failure: the progress window closes first.
int FailClosed(CCamCmd& cmd, Failure failure) {
  cmd.Ui().CloseProgress();
  return cmd.Fail(std::move(failure));
}

}  // namespace

std::string ParseCorrectionText(std::string_view text, ColourTables& tables) {
  const std::vector<std::string> lines = InputLinesTrimmed(text);
  if (lines.size() != kTerminalPixels)
    return "the file holds " + std::to_string(lines.size()) + " lines where " +
           std::to_string(kTerminalPixels) + " pixels are needed";
  tables = ZeroTables();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view rest = lines[i];
    for (size_t j = 0; j < 3; ++j) {
      size_t start = 0;
      while (start < rest.size() && scan::IsBlank(rest[start]))
        ++start;
      size_t end = start;
      while (end < rest.size() && !scan::IsBlank(rest[end]))
        ++end;
      if (start == rest.size()) return LineLabel(i) + "a line holds three values, R, G and B";
      if (std::string why = CheckDecimal(rest.substr(start, end - start), INT32_MIN, INT32_MAX,
                                         kSuffix[j], tables[j][i]);
          !why.empty())
        return LineLabel(i) + why;
      rest.remove_prefix(end);
    }
    if (rest.find_first_not_of(" \t") != std::string_view::npos)
      return LineLabel(i) + "a line holds three values, R, G and B";
  }
  return {};
}

int32_t CorrectionMemoryValue(PixelCorrectionKind kind, uint32_t word) {
  if (kind == PixelCorrectionKind::Black)
    return static_cast<int8_t>(static_cast<uint8_t>(word & 0xFF));
  return static_cast<int32_t>(word);
}

std::string VideoFileLine(PixelCorrectionKind kind, int k, const ColourTables& video,
                          const ColourTables& correction) {
  const auto at = static_cast<size_t>(k);
  std::string line = std::to_string(k);
  for (const auto& v : video)
    line += ", " + std::to_string(v[at]);
  line += ", " + std::to_string(k);
  for (const auto& c : correction)
    line += ", " + (kind == PixelCorrectionKind::Black
                        ? std::to_string(c[at])
                        : FixedText(static_cast<double>(c[at]) / kGainOne, 6));
  return line;
}

int WriteCorrectionData(CCamCmd& cmd, PixelCorrectionKind kind, PixelStoreArea area,
                        const std::string& path) {
  UserInterface& ui = cmd.Ui();
  std::string text;
  if (std::string why = ReadInputFile(path, DataFileCap(3 * kTerminalPixels), text); !why.empty())
    return cmd.Fail(FailureKind::FileError, "Could not open the file, " + path + ". (" + why + ")",
                    MsgIcon::None);
  ColourTables tables;
  if (std::string why = ParseCorrectionText(text, tables); !why.empty())
    return cmd.Fail(FailureKind::BadInput, path + "\n" + why + "\nNothing was sent.",
                    MsgIcon::Stop);
  const int n = kTerminalPixels;
  ui.AppendLog(std::to_string(n) + " data were read from the text file.");
  ui.PumpOneMessage();

  CCamCmd::LinkOwner owner(cmd);
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Writing the pixel correction data…"));
  const std::string stem = kind == PixelCorrectionKind::Black ? "PBD" : "PGD";
  AckTally tally(3 * n);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < n; ++i) {
      if (ui.CancelRequested()) {
        // Stopped by the user: nothing is stored.
        tally.Cancelled();
        return FailClosed(cmd, {tally.Kind(), tally.Summary() + "\nNothing was stored."});
      }
      const std::string line =
          stem + kSuffix[j] + "=" + std::to_string(i) + "," +
          std::to_string(tables[static_cast<size_t>(j)][static_cast<size_t>(i)]);
      cmd.ClearReceive();
      cmd.SendCommand(line + "\r\n", 0);
      std::string reply;
      const Answer answer = WaitAnswer(cmd, ReplyTimeout(cmd.Config(), kPixelAckMs), reply, 0);
      tally.Record(answer, line, reply);
      if (answer != Answer::Accepted)
        return FailClosed(
            cmd, {answer == Answer::Unanswered && cmd.LinkLost() ? FailureKind::Lost : tally.Kind(),
                  "Could not write the correction data i=" + std::to_string(i) +
                      " j=" + std::to_string(j) + "\n" + tally.Summary(),
                  MsgIcon::Stop});
      if (i % 128 == 0) {
        ui.SetProgressPercent(100 * (j * n + i) / (3 * n));
        ui.PumpOneMessage();
      }
    }
  }
  cmd.ClearReceive();
  cmd.SendCommand(stem + "S=" + (area == PixelStoreArea::Factory ? "999" : "0") + "\r\n", 0);
  const int stored = cmd.WaitComplete(ReplyTimeout(cmd.Config(), kStoreAckMs), 0);
  ui.CloseProgress();
  if (stored != 1) {
    // The camera's reply, or why none came, follows on a line of its own.
    const Failure why = cmd.LastFailure();
    return cmd.Fail(why.kind, "Could not store the correction data.\n" + why.text, MsgIcon::Stop);
  }
  ui.AppendLog("WriteCorrectionData has done!");
  return 1;
}

int ReadCorrectionData(CCamCmd& cmd, Reporter& reporter, PixelCorrectionKind kind,
                       const std::string& path) {
  UserInterface& ui = cmd.Ui();
  ui.AppendLog(KESTREL_TR_NOOP("Kestrel", "Reading the correction data: started."));
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Reading the pixel correction data…"));
  const std::string stem = kind == PixelCorrectionKind::Black ? "PBD" : "PGD";
  ColourTables tables = ZeroTables();
  CCamCmd::LinkOwner owner(cmd);
  int missing = 0;
  int done = 0;
  Failure first;  // why the first value did not arrive
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < kTerminalPixels; ++i) {
      if (ui.CancelRequested())
        return FailClosed(
            cmd, {FailureKind::Cancelled, "Stopped after " + std::to_string(done) + " of " +
                                              std::to_string(3 * kTerminalPixels) +
                                              " values; no file was written."});
      cmd.ClearReceive();
      const std::string name = stem + kSuffix[j];
      cmd.SendCommand(name + "?" + std::to_string(i) + "\r\n", 0);
      if (cmd.AwaitReply(ReplyForm{name, i, kTypeInteger, 1},
                         &tables[static_cast<size_t>(j)][static_cast<size_t>(i)], nullptr,
                         ReplyTimeout(cmd.Config(), kPixelReplyMs), 0) != 1) {
        // Nothing more will come: no file for the colours left.
        if (cmd.LinkLost()) return FailClosed(cmd, {FailureKind::Lost, cmd.LostText()});
        if (!first) first = cmd.LastFailure();
        if (cmd.LastFailure().kind == FailureKind::NoAnswer && CameraSilent(cmd))
          return FailClosed(cmd, {FailureKind::NoAnswer,
                                  "The camera fell silent at " + name + "?" + std::to_string(i) +
                                      "; the rest was not asked and no file was written."});
        // The rest of this colour is not tried; the next colour is.
        reporter.Report(KESTREL_TR_NOOP("Kestrel", "The routine did not succeed."),
                        MsgIcon::Warning);
        missing += kTerminalPixels - i;
        break;
      }
      if (i % 128 == 0) {
        ui.SetProgressPercent(100 * done / (3 * kTerminalPixels));
        ui.PumpOneMessage();
      }
      ++done;
    }
  }
  ui.SetProgressPercent(100);
  if (missing > 0) {
    // The file has no way to show a missing value: a 0 would read as data.
    return FailClosed(
        cmd, {first.kind, std::to_string(missing) + " of " + std::to_string(3 * kTerminalPixels) +
                              " values did not arrive; no file was written.\n" + first.text});
  }
  AtomicTextFile file;
  if (!file.Create(path)) return FailClosed(cmd, CannotCreate(path, file.Error()));
  file.Line("R, G, B");
  for (size_t i = 0; i < kTerminalPixels; ++i)
    file.Line(std::to_string(tables[0][i]) + ", " + std::to_string(tables[1][i]) + ", " +
              std::to_string(tables[2][i]));
  if (!file.Commit()) return FailClosed(cmd, CannotWrite(path, file.Error()));
  ui.AppendLog(KESTREL_TR_NOOP("Kestrel", "Reading the correction data: finished."));
  ui.CloseProgress();
  return 1;
}

int ReadVideoData(CCamCmd& cmd, PixelCorrectionKind kind, const std::string& path) {
  UserInterface& ui = cmd.Ui();
  const bool black = kind == PixelCorrectionKind::Black;
  ui.PumpOneMessage();
  CCamCmd::LinkOwner owner(cmd);
  if (SendAcknowledged(cmd, "WMW=&H260000,&H5001", 3000) != 1) return 0;
  if (SendAcknowledged(cmd, black ? "PBC=2" : "PGC=2", 3000) != 1) return 0;
  if (SendAcknowledged(cmd, black ? "PBR=0" : "PGR=0", 10000) != 1) return 0;

  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Reading the video data…"));
  ui.AppendLog("Writing...");
  ColourTables video = ZeroTables();
  ColourTables correction = ZeroTables();
  static constexpr const char* kVideoBlocks[3] = {"DMW?&H260000,&H800", "DMW?&H261000,&H800",
                                                  "DMW?&H262000,&H800"};
  for (int b = 0; b < 3; ++b) {
    if (ui.CancelRequested())
      return FailClosed(cmd, {FailureKind::Cancelled, "Stopped; no file was written."});
    if (!ReadDumpBlock(cmd, kVideoBlocks[b], kind, false, b, 0, video[static_cast<size_t>(b)])) {
      ui.CloseProgress();
      return 0;
    }
  }

  // Switch the correction memory into view: read the control word, set the
  // kind's bit, read the blocks, clear it again.
  cmd.ClearReceive();
  cmd.SendCommand("DMW?&H400004,1\r\n", 1);
  DumpWord control;
  if (cmd.WaitLine(1, ReplyTimeout(cmd.Config(), kControlWordMs)) != 1 ||
      !ParseDumpReply(cmd.PopLine(), control)) {
    // Without the word, setting the bit would overwrite every other bit of it.
    return FailClosed(cmd, {cmd.LinkLost() ? FailureKind::Lost : FailureKind::NoAnswer,
                            "Could not read the correction memory control word."});
  }
  uint32_t w = control.data | (black ? 0x10u : 0x20u);
  static constexpr const char* kBlackBlocks[3] = {"DMW?&H408000,&H800", "DMW?&H410000,&H800",
                                                  "DMW?&H418000,&H800"};
  static constexpr const char* kGainBlocks[3] = {"DMW?&H420000,&H800", "DMW?&H428000,&H800",
                                                 "DMW?&H430000,&H800"};
  // The first thing that goes wrong is what the failure tells.
  Failure first;
  if (SendAcknowledged(cmd, "WMW=&H400004,&H" + ToHex(w, 4), 3000) != 1) first = cmd.LastFailure();
  for (int b = 0; b < 3 && !first; ++b) {
    if (ui.CancelRequested())
      first = {FailureKind::Cancelled, "Stopped"};
    else if (!ReadDumpBlock(cmd, black ? kBlackBlocks[b] : kGainBlocks[b], kind, true, b, 50,
                            correction[static_cast<size_t>(b)]))
      first = cmd.LastFailure();
  }
  // The control word goes back whatever happened, so the camera is left as found.
  w &= black ? 0xFFEFu : 0xFFDFu;
  if (SendAcknowledged(cmd, "WMW=&H400004,&H" + ToHex(w, 4), 3000) != 1 && !first)
    first = cmd.LastFailure();
  if (first)
    return FailClosed(
        cmd,
        {first.kind, "The video read-back did not complete; no file was written.\n" + first.text});

  AtomicTextFile file;
  if (!file.Create(path)) return FailClosed(cmd, CannotCreate(path, file.Error()));
  file.Line("Video, , , , Correction");
  file.Line("No., R, G, B, No., R, G, B");
  for (int k = 0; k < kTerminalPixels; ++k)
    file.Line(VideoFileLine(kind, k, video, correction));
  const bool written = file.Commit();
  ui.CloseProgress();
  if (!written) return cmd.Fail(CannotWrite(path, file.Error()));
  return 1;
}

}  // namespace kestrel
