// The terminal driven by real key and mouse events: what reaches the camera,
// what the log shows and what the dump file holds.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

#include "common/file_text.h"
#include "panel_fixture.h"
#include "service/gui/comm_log_dlg.h"

namespace kestrel {
namespace {

class TerminalTest : public PanelToolsTest {
 protected:
  CRsTermDlg& Term() { return *terminal_; }
  template <class T>
  T* Child(const char* name) {
    T* w = Term().findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString Row(int i) { return Term().LogList()->item(i)->text(); }
  // Types into a field the way a person does: click into it, replace the text.
  void Type(const char* field, const QString& text) {
    auto* e = Child<QLineEdit>(field);
    QTest::mouseClick(e, Qt::LeftButton);
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  bool LogHas(const QString& pattern) {
    const QRegularExpression re(pattern);
    for (int i = 0; i < Term().LogList()->count(); ++i)
      if (re.match(Row(i)).hasMatch()) return true;
    return false;
  }
};

TEST_F(TerminalTest, EnterSendsTheTypedLineAndTheReplyShowsAboveIt) {
  Start();
  panel_->findChild<QPushButton*>("buttonTerminal")->click();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Term()));
  Term().ClearLog();
  // Trailing blanks go out as typed: the camera reads "LR?" either way, the
  // log shows them.
  Type("cmdEdit", "LR?  ");
  QTest::keyClick(Child<QLineEdit>("cmdEdit"), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Term().LogList()->count() >= 2; }, 3000));
  EXPECT_TRUE(Row(1).endsWith(" Tx: LR?  ")) << Row(1).toStdString();
  EXPECT_TRUE(Row(0).contains(" Rx: LR=")) << Row(0).toStdString();
  // The field empties for the next command; Up and Down walk the history.
  auto* field = Child<QLineEdit>("cmdEdit");
  EXPECT_EQ(field->text(), "");
  Type("cmdEdit", "VN?");
  QTest::keyClick(field, Qt::Key_Return);
  for (auto [key, text] : {std::pair{Qt::Key_Up, "VN?"},
                           {Qt::Key_Up, "LR?  "},
                           {Qt::Key_Up, "LR?  "},
                           {Qt::Key_Down, "VN?"},
                           {Qt::Key_Down, ""}}) {
    QTest::keyClick(field, key);
    EXPECT_EQ(field->text(), text);
  }

  // Esc hides; the log goes on filling meanwhile; Clear empties it.
  QTest::keyClick(&Term(), Qt::Key_Escape);
  EXPECT_FALSE(Term().isVisible());
  ui_.AppendLog("while hidden");
  EXPECT_TRUE(Row(0).endsWith(" while hidden"));
  Child<QPushButton>("clearButton")->click();
  EXPECT_EQ(Term().LogList()->count(), 0);
  EXPECT_TRUE(Term().Log().Lines().empty());
}

TEST_F(TerminalTest, FocusMovesTheDefaultButtonAndEnterPressesIt) {
  Start(kModeFactory);  // the memory section shows in FACTORY mode
  Term().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Term()));
  ASSERT_TRUE(Term().MemorySectionVisible());
  Type("wrtMemAddr", "260000");
  EXPECT_TRUE(Child<QPushButton>("writeGoButton")->isDefault());
  EXPECT_FALSE(Child<QPushButton>("sendButton")->isDefault());
  Type("wrtMemData", "1F");
  QTest::keyClick(Child<QLineEdit>("wrtMemData"), Qt::Key_Return);
  EXPECT_TRUE(LogHas("^\\d{4} Tx: WMW=&H260000, &H1F$"));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return camera_->WithModel([](sim::CameraModel& m) { return m.Memory(0x260000); }) == 0x1F;
      },
      3000));

  Type("dumpMemSize", "2");
  EXPECT_TRUE(Child<QPushButton>("dumpGoButton")->isDefault());
  EXPECT_FALSE(Child<QPushButton>("writeGoButton")->isDefault());
  Type("cmdEdit", "VN?");
  EXPECT_TRUE(Child<QPushButton>("sendButton")->isDefault());

  // Back in USER mode the section is out of reach again.
  panel_->ToggleMode();
  EXPECT_FALSE(Term().MemorySectionVisible());
  EXPECT_TRUE(Child<QPushButton>("sendButton")->isDefault());
}

TEST_F(TerminalTest, SaveFileDumpsTheWordsIntoTheChosenFile) {
  camera_->WithModel([](sim::CameraModel& m) { m.SetMemory(0x260004, 0x1F); });
  Start(kModeFactory);
  Term().show();
  Type("dumpMemAddr", "260000");
  Type("dumpMemSize", "3");
  chosen_ = Path("dump.csv");
  Child<QPushButton>("saveFileButton")->click();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(requests_[0].save);
  EXPECT_NE(testing::FileText(chosen_).find("2,&H260004,&H1F,31\r\n"), std::string::npos);
  EXPECT_TRUE(LogHas("^\\d{4} Completed!!$"));
  EXPECT_FALSE(LogHas("Rx: DMW"));  // the words themselves stay out of the log
  EXPECT_EQ(settings_.dumpFile, dir_.path().toStdString());

  // A second save to the same file is asked about; No sends nothing. A file
  // that cannot be written is told, and nothing is asked of the camera.
  const uint64_t before = camera_->Stats().linesIn;
  yesNo_ = MsgAnswer::No;
  Child<QPushButton>("saveFileButton")->click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].buttons, MsgButtons::YesNo);
  chosen_ = Path("missing/dump.csv");
  Child<QPushButton>("saveFileButton")->click();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].icon, MsgIcon::Warning);
  EXPECT_EQ(camera_->Stats().linesIn, before);
}

TEST_F(TerminalTest, FieldsComeFromTheSettingsAndGoBackAtTheEnd) {
  settings_.cmd = "MD?";
  settings_.dumpMemSize = "10";
  Start();
  EXPECT_EQ(Child<QLineEdit>("cmdEdit")->text(), "MD?");
  EXPECT_EQ(Child<QLineEdit>("dumpMemSize")->text(), "10");
  Child<QLineEdit>("wrtMemData")->setText("ABCD");
  panel_->SetAskOnExit(false);
  panel_.reset();  // the terminal ends with the panel
  EXPECT_EQ(settings_.wrtMemData, "ABCD");
  EXPECT_EQ(settings_.cmd, "MD?");
}

}  // namespace
}  // namespace kestrel
