#pragma once

#include <QIcon>
#include <QLocale>
#include <QString>
#include <string>

namespace kestrel {

// The context of every core text marked with KESTREL_TR_NOOP.
inline constexpr const char* kCoreContext = "Kestrel";

// A core text (English) as the person reads it: its translation where the
// loaded translation has one, else the text itself.
QString Translated(const std::string& text);
QString Translated(const char* text);

// Loads Kestrel's translation for the locale's language (and Qt's own, for the
// standard buttons), replacing one loaded before. English is the source
// language: for it, and for a language without a translation, the texts stay
// as written. Returns whether a translation of Kestrel was loaded.
bool InstallTranslation(const QLocale& locale);

// The application icon in every size it ships.
QIcon AppIcon();

}  // namespace kestrel
