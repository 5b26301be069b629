#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// What the reply to one query must look like: the mnemonic it names, the
// index the query named (-1 for none), and what its value is.
struct ReplyForm {
  std::string mnemonic;
  int index = -1;
  int valueType = 0;  // kTypeInteger or kTypeText
  int values = 1;     // integers a reply carries, comma-separated (bulk reads)
};

// What one received line is to a query that awaits its reply.
enum class ReplyLine {
  Reply,       // names the command (and its index); its value parses whole
  Unreadable,  // names the command, but its value is not what the row holds
  Refusal,     // the camera's error line ("ERROR ..."): the query is refused
  Echo,        // the query itself, sent back by the camera
  Unasked,     // any other line: the camera speaking on its own
};

// Reads one line (its line end already gone) as the reply to `sent` (the
// query as sent, without its line end). A Reply fills values[0..form.values)
// for integer rows and `text` for text rows.
//
// The grammar: blanks, then the mnemonic, blanks, "=", then for text rows the
// rest of the line as it came; for integer rows, an optional "INDEX," naming
// the index asked (when one was), then form.values decimal integers separated
// by commas, each an optional sign and digits only, within 32 bits, blanks
// around it allowed. "LR=12abc", "LR=1e3", "LR=0x10" and "LR=99999999999"
// are Unreadable, never 12, 1, 0 or 2147483647.
ReplyLine ReadReplyLine(std::string_view line, std::string_view sent, const ReplyForm& form,
                        int32_t* values, std::string* text);

// A decimal integer within 32 bits, blanks around it allowed and nothing else.
bool WholeInt(std::string_view field, int32_t& out);

// `unreadable reply "LR=abc" for LR?`, control bytes escaped.
std::string UnreadableText(std::string_view line, std::string_view sent);

}  // namespace kestrel
