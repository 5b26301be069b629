#include "base/settings.h"

namespace kestrel {

namespace {
constexpr int kBauds[] = {9600, 19200, 38400, 57600, 115200};
}

int BaudOfIndex(int index) {
  return index >= 0 && index < 5 ? kBauds[index] : 9600;
}

int IndexOfBaud(int baud) {
  for (int i = 0; i < 5; ++i)
    if (kBauds[i] == baud) return i;
  return -1;
}

}  // namespace kestrel
