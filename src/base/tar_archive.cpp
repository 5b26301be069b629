#include "base/tar_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kestrel {
namespace {

constexpr size_t kBlock = 512;

// Header fields: offset and length.
constexpr size_t kName = 0, kMode = 100, kUid = 108, kGid = 116, kSize = 124, kMtime = 136,
                 kChecksum = 148, kType = 156, kMagic = 257, kVersion = 263, kUname = 265,
                 kGname = 297, kPrefix = 345;

// width - 1 octal digits and a NUL, as ustar has it; the values written fit.
void PutOctal(char* field, size_t width, unsigned long long value) {
  for (size_t i = width - 1; i-- > 0; value >>= 3)
    field[i] = static_cast<char>('0' + (value & 7));
  field[width - 1] = '\0';
}

unsigned HeaderSum(const char* header) {
  unsigned sum = 0;
  for (size_t i = 0; i < kBlock; ++i)
    sum += (i >= kChecksum && i < kChecksum + 8) ? ' ' : static_cast<unsigned char>(header[i]);
  return sum;
}

// An octal field: digits, then blanks or NULs to its end. False otherwise.
bool ReadOctal(const char* field, size_t width, unsigned long long& value) {
  value = 0;
  size_t i = 0;
  while (i < width && field[i] == ' ')
    ++i;
  const size_t first = i;
  for (; i < width && field[i] >= '0' && field[i] <= '7'; ++i) {
    if (value >> 60) return false;
    value = value * 8 + static_cast<unsigned>(field[i] - '0');
  }
  if (i == first) return false;
  for (; i < width; ++i)
    if (field[i] != ' ' && field[i] != '\0') return false;
  return true;
}

bool AllZero(std::string_view block) {
  for (char c : block)
    if (c != '\0') return false;
  return true;
}

}  // namespace

bool PlainMemberName(std::string_view name) {
  if (name.empty() || name.size() > 99 || name[0] == '.') return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-' || c == '_'))
      return false;
  return true;
}

std::string WriteTar(const std::vector<TarMember>& members, long long mtime) {
  std::string out;
  for (const TarMember& m : members) {
    char header[kBlock] = {};
    std::memcpy(header + kName, m.name.data(), std::min<size_t>(m.name.size(), 99));
    PutOctal(header + kMode, 8, 0644);
    PutOctal(header + kUid, 8, 0);
    PutOctal(header + kGid, 8, 0);
    PutOctal(header + kSize, 12, m.data.size());
    PutOctal(header + kMtime, 12, mtime < 0 ? 0 : static_cast<unsigned long long>(mtime));
    header[kType] = '0';
    std::memcpy(header + kMagic, "ustar", 6);
    std::memcpy(header + kVersion, "00", 2);
    std::memcpy(header + kUname, "kestrel", 7);
    std::memcpy(header + kGname, "kestrel", 7);
    PutOctal(header + kChecksum, 7, HeaderSum(header));
    header[kChecksum + 7] = ' ';
    out.append(header, kBlock);
    out += m.data;
    out.append((kBlock - m.data.size() % kBlock) % kBlock, '\0');
  }
  out.append(2 * kBlock, '\0');
  return out;
}

std::string ReadTar(std::string_view archive, std::vector<TarMember>& members, size_t maxBytes) {
  members.clear();
  if (archive.size() > maxBytes)
    return "larger than " + std::to_string(maxBytes) + " bytes: not a Kestrel backup";
  if (archive.size() % kBlock != 0)
    return "not whole 512-byte blocks: a truncated or damaged archive";
  size_t at = 0;
  while (true) {
    if (at + kBlock > archive.size()) return "the archive ends without its end blocks: truncated";
    const std::string_view block = archive.substr(at, kBlock);
    if (AllZero(block)) {
      if (at + 2 * kBlock > archive.size() || !AllZero(archive.substr(at + kBlock, kBlock)))
        return "the archive ends without its end blocks: truncated";
      if (!AllZero(archive.substr(at + 2 * kBlock))) return "data after the end of the archive";
      return {};
    }
    const std::string where = "header " + std::to_string(members.size() + 1) + ": ";
    const char* header = block.data();
    unsigned long long stored = 0;
    if (std::memcmp(header + kMagic, "ustar", 5) != 0) return where + "not a ustar archive header";
    if (!ReadOctal(header + kChecksum, 8, stored) || stored != HeaderSum(header))
      return where + "header checksum does not match: damaged";
    if (header[kType] != '0' && header[kType] != '\0')
      return where + "not a regular file (type '" + std::string(1, header[kType]) + "')";
    if (header[kPrefix] != '\0')  // Kestrel writes no folder prefix
      return where + "a name with a folder prefix";
    const std::string name(header + kName, strnlen(header + kName, 100));
    if (!PlainMemberName(name)) return where + "the member name is not a plain file name";
    unsigned long long size = 0;
    if (!ReadOctal(header + kSize, 12, size)) return where + "the size field is not a number";
    at += kBlock;
    const size_t padded = (size + kBlock - 1) / kBlock * kBlock;
    if (size > archive.size() || padded > archive.size() - at)
      return name + ": the member runs past the end of the file: truncated";
    members.push_back({name, std::string(archive.substr(at, size))});
    at += padded;
  }
}

}  // namespace kestrel
