#pragma once

#include <QPalette>

namespace kestrel {

// A dark palette for the Fusion style: what `kestrel --dark` runs with, and
// what the pictures and tests of the dark look are taken in.
QPalette DarkPalette();

}  // namespace kestrel
