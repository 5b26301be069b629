// The windows speak the person's language: the core's English texts are shown
// translated where Kestrel has a translation for the locale, as written elsewhere.
#include <gtest/gtest.h>

#include "base/settings.h"
#include "correction/calibration.h"
#include "gui/qt_user_interface.h"
#include "gui/translation.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

TEST(TranslationTest, OperatorPromptsInTheLanguageOfTheLocale) {
  const struct {
    const char* locale;
    bool translated;
    std::string prompt, columnStart;
  } cases[] = {
      {"ja_JP", true, "遮光してください", std::string(29, ' ') + "遮光してください"},
      {"en_GB", false, "Shade the sensor from all light.",
       "Shade the sensor from all light, then press Start."},
      {"C", false, "Shade the sensor from all light.",
       "Shade the sensor from all light, then press Start."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallTranslation(QLocale(c.locale)), c.translated) << c.locale;
    Settings settings;
    QtUserInterface ui;
    CCamCmd cmd(settings, ui);
    std::vector<std::string> shown;
    ui.SetResponder([&](const std::string& text, MsgIcon, MsgButtons, const std::string&) {
      shown.push_back(text);
      return MsgAnswer::Cancel;
    });
    EXPECT_EQ(FpldCalibration(cmd, ui), 0);  // cancelled at its prompt: nothing sent
    EXPECT_EQ(shown, std::vector<std::string>{c.prompt}) << c.locale;
    EXPECT_EQ(Translated(ColumnCalibration::InitialMessage()).toStdString(), c.columnStart);
  }
  InstallTranslation(QLocale::c());
  EXPECT_FALSE(AppIcon().pixmap(16).isNull());  // the icon is linked in with the translations
}

}  // namespace
}  // namespace kestrel
