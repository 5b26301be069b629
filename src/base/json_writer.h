#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Builds one compact JSON document for the machine-readable output of the
// tools. Commas and nesting are tracked, so a caller only says what comes
// next. Texts from the camera are 8-bit: valid UTF-8 passes through, any other
// byte is written as the code point of the same number (\u00XX), so nothing
// is lost and the document stays valid.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the open object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view text);
  JsonWriter& Int(int64_t value);
  // A number with a fixed count of decimals; null when it is not finite.
  JsonWriter& Real(double value, int decimals);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // The document so far; complete once every object and array is closed.
  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();

  std::string out_;
  std::vector<bool> first_;  // per open object or array: nothing written in it yet
  bool afterKey_ = false;
};

// A text as a JSON string, quotes included.
std::string JsonQuote(std::string_view text);

// The document every failing command prints under --json: {"error": "TEXT"}.
std::string JsonError(std::string_view text);

}  // namespace kestrel
