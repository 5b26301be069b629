#pragma once

#include <string>

#include "base/user_interface.h"

namespace kestrel {

// The end of a save whose file may hold gaps ("----") where the camera gave
// no value: the file stays written, as the formats allow gaps, but the save
// says how many there are and fails. 1 when there are none.
inline int ReportGaps(UserInterface& ui, const std::string& path, int gaps, int values) {
  if (gaps == 0) return 1;
  ui.MessageBox(path + "\n" + std::to_string(gaps) + " of " + std::to_string(values) +
                    " values did not arrive; the file holds \"----\" in their place.",
                MsgIcon::Warning);
  return 0;
}

}  // namespace kestrel
