// kestrel: the HX-9302 control panel.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>

#include "app/kestrel_app.h"
#include "gui/dark_palette.h"
#include "gui/translation.h"

namespace {

// --help and --version are answered without a display: before the window
// system is opened, on a plain core application.
bool AsksForHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setOrganizationName("Corvid");
  QCoreApplication::setApplicationName("HX-9302 Kestrel");
  QCoreApplication::setApplicationVersion(KESTREL_VERSION);

  // The options' texts stay English: the manual pages and scripts read them.
  QCommandLineParser parser;
  parser.setApplicationDescription("Control panel of the HX-9302 line-scan camera.");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption port("port", "Use serial device DEV for this run.", "DEV");
  QCommandLineOption simulator("simulator",
                               "Start the built-in simulated camera and connect to it.");
  QCommandLineOption screenshot(
      "screenshot", "After start-up and the first refresh, save the panel as PNG and quit.",
      "FILE");
  QCommandLineOption factory("factory", "Start in FACTORY mode for this run.");
  QCommandLineOption dark("dark", "Use a dark palette (with the Fusion style) for this run.");
  parser.addOptions({port, simulator, screenshot, factory, dark});
  if (AsksForHelpOrVersion(argc, argv)) {
    QCoreApplication core(argc, argv);
    parser.process(core);  // prints and ends the process
  }
  QApplication app(argc, argv);
  parser.process(app);
  // The person's language (LANG), where Kestrel has a translation for it.
  kestrel::InstallTranslation(QLocale());
  QApplication::setWindowIcon(kestrel::AppIcon());
  if (parser.isSet(dark)) {
    QApplication::setStyle("Fusion");
    QApplication::setPalette(kestrel::DarkPalette());
  }

  kestrel::CKestrelApp::Options options;
  options.port = parser.value(port).toStdString();
  options.simulator = parser.isSet(simulator);
  options.screenshot = parser.value(screenshot).toStdString();
  options.factory = parser.isSet(factory);
  if (options.simulator && !options.port.empty()) {
    std::fputs("kestrel: --port and --simulator exclude each other\n", stderr);
    return 2;
  }
  kestrel::CKestrelApp kestrelApp;
  return kestrelApp.Run(options);
}
