#include "protocol/text_value.h"

namespace kestrel {

std::string CheckTextValue(const CommandTable& table, int cmdIndex, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  const std::string& name = table[cmdIndex].mnemonic;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F)
      return "the text for " + name + " holds the control byte \\x" + kHex[c >> 4] + kHex[c & 15];
  }
  if (cmdIndex == cmd::UD && text.size() > kUserIdMax)
    return "the text for UD is longer than " + std::to_string(kUserIdMax) + " characters";
  return {};
}

}  // namespace kestrel
