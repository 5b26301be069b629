#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/cam_cmd.h"

namespace kestrel {

// The camera's memory write and dump, as the terminal's memory section and the
// video read-back use them. Addresses, data and sizes are hexadecimal texts
// passed through as typed.

// "WMW=&H<addr>, &H<data>" and "DMW?&H<addr>, &H<size>", each with CR LF.
std::string MemoryWriteLine(const std::string& addrText, const std::string& dataText);
std::string MemoryDumpLine(const std::string& addrText, const std::string& sizeText);

// Memory write and dump into the log: sent with logging on, no wait; the
// dumped words reach the log through the poll.
void SendMemoryWrite(CCamCmd& cmd, const std::string& addrText, const std::string& dataText);
void SendMemoryDump(CCamCmd& cmd, const std::string& addrText, const std::string& sizeText);

// One dump reply "DMW=&H<addr>, &H<data>" read by its pattern. False when the
// line does not match it in full.
struct DumpWord {
  uint32_t address = 0;
  uint32_t data = 0;
};
bool ParseDumpReply(std::string_view line, DumpWord& out);

// The record of word `number` (from 1) in a dump file: "1,&H260000,&H1F,31".
// A reply that did not match gives "<number>,,,": the word is known to be
// missing rather than shown with another word's values.
std::string DumpRecord(int number, const DumpWord* word);
inline constexpr const char* kDumpFileHeader = "No.,Address,Data(hex),Data(dec)";

// The character-wise split of a dump reply used by the video read-back: blanks
// skipped, the text between "=" and the first "," is field 1, the rest field 2;
// a character that is not printable ends the split. state: 0 no "=", 1 no ","
// after it, 2 both.
struct DumpSplit {
  int state = 0;
  std::string field1;
  std::string field2;
};
DumpSplit SplitDumpReply(std::string_view line);
// The data of a split reply: field 2 read as "&H<hex>" when the split reached
// state 2; 0 otherwise.
uint32_t DumpSplitValue(const DumpSplit& split);

// Receives up to `count` lines (at least one is waited for even when count is
// 0), logging off, until `idleMs` pass without a new line. Returns how many
// were queued; they stay in the receive queue in order of arrival.
int CollectLines(CCamCmd& cmd, int count, int idleMs);

// Dump to file: asks the camera for the words the size text counts from the
// address text and writes the dump file at `path`. The file is created before
// anything is sent; when it cannot be, nothing is sent. With no word received
// no file is written; words that did not come, or came garbled, are counted in
// the failure (the file keeps their gaps). Returns 1 when every word arrived
// and the file was written, else 0 with the reason as LastFailure.
[[nodiscard]] int DumpToFile(CCamCmd& cmd, const std::string& path, const std::string& addrText,
                             const std::string& sizeText);

}  // namespace kestrel
