// The link label: what it opens and when.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QVBoxLayout>

#include "gui/label.h"

namespace kestrel {
namespace {

class ClickCounter : public QWidget {
 public:
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url); });
    auto* layout = new QVBoxLayout(&parent_);
    label_ = new CLabel("https://example.org/manual");
    layout->addWidget(label_);
    parent_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_));
  }
  void TearDown() override { SetDesktopOpener({}); }

  ClickCounter parent_;
  CLabel* label_ = nullptr;
  std::vector<QUrl> opened_;
};

TEST_F(LabelTest, OpensItsOwnTextOnlyWhileLinkingIsOn) {
  // Never enabled: the click belongs to the parent and nothing opens.
  QTest::mouseClick(label_, Qt::LeftButton);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(parent_.presses, 1);

  label_->SetLinkEnabled(true);
  QTest::mouseClick(label_, Qt::RightButton);
  EXPECT_TRUE(opened_.empty());
  QTest::mouseClick(label_, Qt::LeftButton);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QUrl("https://example.org/manual"));

  // A file name opens as a file of the current directory; an empty text is
  // still handed on (as an empty target that opens nothing).
  label_->setText("guide.pdf");
  QTest::mouseClick(label_, Qt::LeftButton);
  EXPECT_EQ(opened_.back(), QUrl::fromLocalFile(QDir::current().absoluteFilePath("guide.pdf")));
  label_->setText("");
  QTest::mouseClick(label_, Qt::LeftButton);
  EXPECT_EQ(opened_.size(), 3u);
  EXPECT_TRUE(opened_.back().isEmpty());

  label_->SetLinkEnabled(false);
  QTest::mouseClick(label_, Qt::LeftButton);
  EXPECT_EQ(opened_.size(), 3u);
}

TEST_F(LabelTest, MarkupInTheTextIsShownNotFollowed) {
  label_->SetLinkEnabled(true);
  label_->setText("<a href=\"file:///etc/passwd\">click</a>");
  EXPECT_EQ(label_->textFormat(), Qt::PlainText);
  QTest::mouseClick(label_, Qt::LeftButton);
  ASSERT_EQ(opened_.size(), 1u);
  // The literal text, taken as a file name of the current directory.
  EXPECT_TRUE(opened_[0].isLocalFile());
  EXPECT_TRUE(opened_[0].toLocalFile().endsWith("click</a>"));
}

}  // namespace
}  // namespace kestrel
