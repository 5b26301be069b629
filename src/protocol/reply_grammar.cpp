#include "protocol/reply_grammar.h"

#include <cctype>
#include <charconv>

#include "base/text_scan.h"
#include "protocol/command_table.h"

namespace kestrel {

bool WholeInt(std::string_view field, int32_t& out) {
  field = scan::Trim(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty() || field.front() == '+') return false;
  const char* end = field.data() + field.size();
  int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(field.data(), end, value, 10);
  if (ec != std::errc() || ptr != end) return false;
  out = value;
  return true;
}

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  if (text.size() < head.size()) return false;
  for (size_t i = 0; i < head.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != head[i]) return false;
  return true;
}

// The integers of a reply after its "=": form.values of them, each whole,
// after an "INDEX," that must name the index asked.
ReplyLine ReadIntegers(std::string_view rest, const ReplyForm& form, int32_t* values) {
  int fields = 1;
  for (char c : rest)
    fields += c == ',';
  const bool withIndex = form.index >= 0 && fields == form.values + 1;
  if (!withIndex && fields != form.values) return ReplyLine::Unreadable;
  size_t at = 0;
  auto next = [&rest, &at]() {
    const size_t comma = rest.find(',', at);
    const std::string_view field =
        rest.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
    at = comma == std::string_view::npos ? rest.size() : comma + 1;
    return field;
  };
  if (withIndex) {
    int32_t index = 0;
    if (!WholeInt(next(), index)) return ReplyLine::Unreadable;
    // The reply of another index answers an earlier query, not this one.
    if (index != form.index) return ReplyLine::Unasked;
  }
  for (int k = 0; k < form.values; ++k)
    if (!WholeInt(next(), values[k])) return ReplyLine::Unreadable;
  return ReplyLine::Reply;
}

}  // namespace

ReplyLine ReadReplyLine(std::string_view line, std::string_view sent, const ReplyForm& form,
                        int32_t* values, std::string* text) {
  line = scan::WithoutLineEnd(line);
  if (scan::Trim(line) == scan::Trim(sent)) return ReplyLine::Echo;
  size_t pos = 0;
  scan::SkipBlanks(line, pos);
  const std::string_view named = line.substr(pos);
  if (StartsWithNoCase(named, "ERROR")) return ReplyLine::Refusal;
  if (named.substr(0, form.mnemonic.size()) != form.mnemonic) return ReplyLine::Unasked;
  pos += form.mnemonic.size();
  scan::SkipBlanks(line, pos);
  if (pos >= line.size() || line[pos] != '=') return ReplyLine::Unasked;
  const std::string_view rest = line.substr(pos + 1);
  if (form.valueType == kTypeText) {
    if (text) *text = std::string(rest);
    return ReplyLine::Reply;
  }
  return ReadIntegers(rest, form, values);
}

std::string UnreadableText(std::string_view line, std::string_view sent) {
  return "unreadable reply \"" + Printable(scan::WithoutLineEnd(line)) + "\" for " +
         Printable(sent);
}

}  // namespace kestrel
