#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/failure.h"
#include "correction/correction_kind.h"
#include "protocol/ack_tally.h"

namespace kestrel {

class CCamCmd;

// Time-outs and pacing of bulk transfers. The defaults are the production
// values; tests shorten the time-outs so a silent camera costs milliseconds.
struct TransferTiming {
  int ackTimeoutMs = 3000;    // per write command
  int replyTimeoutMs = 3000;  // per read query
  // The pause after each command paces the camera: it needs the time to move
  // the value into its table before the next one arrives.
  int pauseMs = 20;
  int storeTimeoutMs = 6000;
};

// Moves correction arrays between a buffer and the camera, one short command
// per group of values, with the progress window and the one-message pump.
// The camera keeps the position: the n-th command carries the n-th group.
class CDataTransfer {
 public:
  explicit CDataTransfer(CCamCmd& cmd, TransferTiming timing = {});

  CCamCmd& Cmd() const { return cmd_; }
  const TransferTiming& Timing() const { return timing_; }
  void SetTiming(const TransferTiming& timing) { timing_ = timing; }

  // The transfers return 1 on success; on failure 0, and the command
  // object's LastFailure says why.
  //
  // total must be a whole multiple of perCommand. Every line must be
  // acknowledged: the write stops at the first line the camera rejects, after
  // a line without an answer that a short probe confirms (CameraSilent), on a
  // lost port or when the user cancels, and then fails with "N of M lines were not accepted" and
  // the reason (AckTally).
  [[nodiscard]] int WriteDataBlocks(const std::string& mnemonic, const int32_t* values,
                                    int perCommand, int total);
  // Stops at the first reply that does not come ("Failed reading camera
  // parameter" after the reason); values read so far stay.
  [[nodiscard]] int ReadDataBlocks(const std::string& mnemonic, int32_t* values, int perReply,
                                   int total);

  // Waits for the answer to one bulk line: Accepted for a line starting with
  // "COMPLETE" (any case), Rejected for any other line (kept in `reply`),
  // Unanswered when no whole line came within the time-out. An echo of the
  // line is skipped.
  Answer WaitDataAck(int timeoutMs, std::string& reply);
  // Receives the reply of count comma-separated values to the query just
  // sent ("PBD?") into dest, by the reply grammar: an echo or a line sent
  // unasked is skipped, a reply that does not read whole is Unreadable.
  [[nodiscard]] int WaitDataReply(int32_t* dest, int count, int timeoutMs);

  // The kind's write or read for a sensor (1, or anything else for sensor 2),
  // with the kind's counts. No range check: the callers check where the values
  // come from outside.
  [[nodiscard]] int WriteCorrection(CorrectionKind kind, const int32_t* values, int sensor);
  [[nodiscard]] int ReadCorrection(CorrectionKind kind, int32_t* values, int sensor);

  // Makes the camera keep the array it holds in non-volatile memory; on
  // failure the reason, then "Failed storing ... data". Kinds without a store
  // command (see HasStoreCommand) send nothing and fail. The caller tells the
  // user StoredText(kind) on success.
  [[nodiscard]] int StoreCorrection(CorrectionKind kind, int sensor);

 private:
  void DiscardStale();
  void Pump();

  CCamCmd& cmd_;
  TransferTiming timing_;
};

// "Invalid data range: index (%d): value (%d)" (BadInput) for the first
// element outside [minimum, maximum]; no failure when all are inside.
Failure CheckDataRange(const int32_t* values, int count, int32_t minimum, int32_t maximum);

// A write read back: "Verify failed: the camera holds 5 at pixel 782 where
// 7 was written" (Rejected) for the first element that differs, `noun`
// naming the elements; no failure when all agree.
Failure CompareReadBack(const int32_t* written, const int32_t* held, int count,
                        const std::string& noun);

// "Succeeded in storing pixel black data" and the like, after a store.
std::string StoredText(CorrectionKind kind);

// Records the failure an operation ends in: the reason the command object
// recorded for the exchange that just failed, then the operation's own
// conclusion on a line of its own ("Failed"). Returns 0.
int FailAfterExchange(CCamCmd& cmd, const std::string& conclusion);

// The store command of a kind and sensor ("PBDS2", ...), or nullptr: the camera
// has store commands for pixel black, pixel gain and shading only.
const char* StoreMnemonicOf(CorrectionKind kind, int sensor);
inline bool HasStoreCommand(CorrectionKind kind) {
  return StoreMnemonicOf(kind, 1) != nullptr;
}

// The write line of one group: "PBD=-12\r\n", "SDDS=310,-4,77\r\n".
std::string FormatDataLine(std::string_view mnemonic, const int32_t* values, int count);

}  // namespace kestrel
