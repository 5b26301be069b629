#pragma once

// Marks a text of the core that a window shows to a person. The core keeps
// the English text; the windows translate it where they show it
// (gui/translation.h), in the one context "Kestrel" that the translation files
// hold these texts under. kestrelctl, files and the camera get the English text.
// `make translations` collects the marked texts (lupdate reads this macro as
// QT_TRANSLATE_NOOP).
#define KESTREL_TR_NOOP(context, text) text
