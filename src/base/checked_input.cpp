#include "base/checked_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/text_file.h"
#include "base/text_scan.h"

namespace kestrel {

using scan::Trim;

namespace {

std::string Quoted(std::string_view s) {
  constexpr size_t kShown = 40;
  std::string q = "\"";
  q += s.size() > kShown ? std::string(s.substr(0, kShown)) + "..." : std::string(s);
  q += '"';
  return q;
}

std::string For(std::string_view what) {
  return what.empty() ? std::string() : " for " + std::string(what);
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

namespace {

// Standard input for "-": read to its end once, at most maxBytes.
std::string ReadStdin(size_t maxBytes, std::string& text) {
  static bool read = false;
  if (read) return "standard input was read already";
  read = true;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::strerror(errno);
    if (n == 0) return {};
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > maxBytes) {
      text.clear();
      return "larger than " + std::to_string(maxBytes) + " bytes";
    }
  }
}

}  // namespace

std::string ReadInputFile(const std::string& path, size_t maxBytes, std::string& text) {
  text.clear();
  if (DashIsStdio(path)) return ReadStdin(maxBytes, text);
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st {};
  std::string error;
  if (::fstat(fd, &st) != 0) {
    error = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    error = "not a regular file";
  } else if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    error = "larger than " + std::to_string(maxBytes) + " bytes";
  } else {
    text.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (error.empty()) {
      // One byte more than the cap: a file that grows meanwhile is still refused.
      if (text.size() < done + 1) text.resize(done + 4096);
      const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = std::strerror(errno);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
      if (done > maxBytes) error = "larger than " + std::to_string(maxBytes) + " bytes";
    }
    text.resize(done);
  }
  ::close(fd);
  if (!error.empty()) text.clear();
  return error;
}

std::string CheckDecimal(std::string_view field, int64_t minimum, int64_t maximum,
                         std::string_view what, int32_t& out) {
  const std::string_view t = Trim(field);
  if (t.empty()) return "no value" + For(what);
  size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
  if (i == t.size()) return Quoted(t) + " is not a number" + For(what);
  int64_t value = 0;
  bool wide = false;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return Quoted(t) + " is not a number" + For(what);
    if (!wide) value = value * 10 + (t[i] - '0');
    wide = wide || value > int64_t{1} << 32;
  }
  if (t[0] == '-') value = -value;
  if (wide || value < INT32_MIN || value > INT32_MAX)
    return Quoted(t) + " does not fit in 32 bits" + For(what);
  if (value < minimum || value > maximum)
    return Quoted(t) + " is outside " + std::to_string(minimum) + ".." + std::to_string(maximum) +
           For(what);
  out = static_cast<int32_t>(value);
  return {};
}

std::string CheckHex(std::string_view field, int maxDigits, std::string_view what, uint32_t& out,
                     std::string* digits) {
  std::string_view t = Trim(field);
  const std::string_view written = t;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.remove_prefix(2);
  if (t.empty()) return "no value" + For(what);
  for (char c : t)
    if (!IsHexDigit(c)) return Quoted(written) + " is not a hexadecimal number" + For(what);
  std::string_view significant = t;
  while (significant.size() > 1 && significant[0] == '0')
    significant.remove_prefix(1);
  if (static_cast<int>(significant.size()) > maxDigits)
    return Quoted(written) + " has more than " + std::to_string(maxDigits) + " hexadecimal digits" +
           For(what);
  size_t pos = 0;
  ScanHex(significant, pos, out);
  if (digits) digits->assign(t);
  return {};
}

std::string CheckHexWord(std::string_view field, uint32_t& out) {
  const std::string_view t = Trim(field);
  if (t.size() < 2 || t[0] != '0' || (t[1] != 'x' && t[1] != 'X'))
    return Quoted(t) + " is not a \"0x\" hexadecimal number";
  return CheckHex(t, 8, {}, out);
}

std::vector<std::string> InputLines(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    const bool last = lf == std::string_view::npos;
    if (last) lf = text.size();
    size_t end = lf;
    if (end > start && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(start, end - start));
    start = lf + 1;
  }
  return lines;
}

std::vector<std::string> InputLinesTrimmed(std::string_view text) {
  std::vector<std::string> lines = InputLines(text);
  while (!lines.empty() && Trim(lines.back()).empty())
    lines.pop_back();
  return lines;
}

std::string LineLabel(size_t lineIndex) {
  return "line " + std::to_string(lineIndex + 1) + ": ";
}

std::string ParseValueRows(const std::vector<std::string>& lines, size_t firstLine, int columns,
                           int count, int64_t minimum, int64_t maximum,
                           std::vector<int32_t>& values) {
  values.clear();
  values.reserve(static_cast<size_t>(count));
  for (size_t k = firstLine; k < lines.size(); ++k) {
    std::string_view line = Trim(lines[k]);
    if (line.empty()) continue;
    if (line.back() == ',') line.remove_suffix(1);
    int onLine = 0;
    size_t start = 0;
    for (bool more = true; more; ++onLine) {
      const size_t comma = line.find(',', start);
      more = comma != std::string_view::npos;
      int32_t v = 0;
      if (std::string why =
              CheckDecimal(line.substr(start, comma - start), minimum, maximum, {}, v);
          !why.empty())
        return LineLabel(k) + why;
      if (static_cast<int>(values.size()) == count)
        return LineLabel(k) + "the file holds more than " + std::to_string(count) + " values";
      values.push_back(v);
      start = comma + 1;
    }
    if (onLine != columns)
      return LineLabel(k) + std::to_string(onLine) + (onLine == 1 ? " value" : " values") +
             " where a line holds " + std::to_string(columns);
  }
  if (static_cast<int>(values.size()) != count)
    return "the file holds " + std::to_string(values.size()) + " values where " +
           std::to_string(count) + " are needed";
  return {};
}

}  // namespace kestrel
