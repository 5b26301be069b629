#include "gui/translation.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

// Resources of a static library are kept by the linker only where something
// initialises them by name; this is outside any namespace, as Q_INIT_RESOURCE
// must be.
static void InitKestrelResources() {
  Q_INIT_RESOURCE(kestrel);
  Q_INIT_RESOURCE(kestrel_i18n);
}

namespace kestrel {

QString Translated(const char* text) {
  return QCoreApplication::translate(kCoreContext, text);
}

QString Translated(const std::string& text) {
  return text.empty() ? QString() : Translated(text.c_str());
}

bool InstallTranslation(const QLocale& locale) {
  InitKestrelResources();
  static QTranslator* own = nullptr;
  static QTranslator* qt = nullptr;
  for (QTranslator** t : {&own, &qt}) {
    if (*t) QCoreApplication::removeTranslator(*t);
    delete *t;
    *t = new QTranslator;
  }
  const bool loaded = own->load(locale, "kestrel", "_", ":/kestrel/i18n");
  if (loaded) QCoreApplication::installTranslator(own);
  if (qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qt);
  return loaded;
}

QIcon AppIcon() {
  InitKestrelResources();
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/kestrel/icons/%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace kestrel
