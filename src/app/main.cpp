// kestrel: the HX-9302 control panel.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/kestrel_app.h"
#include "gui/dark_palette.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Corvid");
  QApplication::setApplicationName("HX-9302 Kestrel");
  QApplication::setApplicationVersion(KESTREL_VERSION);

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
  parser.process(app);
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
