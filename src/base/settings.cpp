#include "base/settings.h"

#include <iterator>

namespace kestrel {

namespace {
constexpr int kCount = static_cast<int>(std::size(kCameraBauds));
}

std::string CameraBaudList(const std::string& last) {
  std::string text;
  for (int i = 0; i < kCount; ++i) {
    if (i > 0) text += i + 1 == kCount ? last : ", ";
    text += std::to_string(kCameraBauds[i]);
  }
  return text;
}

int BaudOfIndex(int index) {
  return index >= 0 && index < kCount ? kCameraBauds[index] : 9600;
}

int IndexOfBaud(int baud) {
  for (int i = 0; i < kCount; ++i)
    if (kCameraBauds[i] == baud) return i;
  return -1;
}

}  // namespace kestrel
