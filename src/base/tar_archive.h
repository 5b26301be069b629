#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A plain ustar archive (POSIX.1-1988) of regular files in one folder, so
// that tar, file managers and scripts open what Kestrel writes. Only what
// Kestrel writes is read back: regular members with short plain names.

struct TarMember {
  std::string name;  // at most 99 characters of letters, digits, '.', '-', '_'
  std::string data;
};

// Largest archive read: a whole camera with its sensor memory is below 2 MB.
inline constexpr size_t kMaxTarBytes = 32u << 20;

// The archive of the members in order, dated `mtime` (seconds since 1970),
// mode 0644, ending in the two zero blocks. Names must be plain (above).
std::string WriteTar(const std::vector<TarMember>& members, long long mtime);

// Reads a whole archive: "" with the members in order, else why not. Refused:
// more than maxBytes, a size that is not whole blocks, a header whose
// checksum or magic is wrong, a member that is not a regular file (links,
// folders, devices, long-name and pax headers), a name that is not plain, a
// member running past the end, a missing end of archive, and bytes other than
// zeros after it.
std::string ReadTar(std::string_view archive, std::vector<TarMember>& members,
                    size_t maxBytes = kMaxTarBytes);

// True when the name is one WriteTar takes and ReadTar accepts.
bool PlainMemberName(std::string_view name);

}  // namespace kestrel
