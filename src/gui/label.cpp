#include "gui/label.h"

#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpression>

namespace kestrel {

namespace {

DesktopOpener& Opener() {
  static DesktopOpener opener;
  return opener;
}

}  // namespace

void SetDesktopOpener(DesktopOpener opener) {
  Opener() = std::move(opener);
}

void OpenWithDesktop(const QUrl& target) {
  if (Opener()) {
    Opener()(target);
    return;
  }
  // The result is not judged: a target without a handler opens nothing, and
  // there is nothing the user could do about it here.
  QDesktopServices::openUrl(target);
}

QUrl DesktopTarget(const QString& text) {
  if (text.isEmpty()) return {};
  // A scheme of two letters or more; "C:" style drive letters are files.
  static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
  if (scheme.match(text).hasMatch()) return QUrl(text);
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
}

CLabel::CLabel(QWidget* parent) : QLabel(parent) {
  Init();
}

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  Init();
}

void CLabel::Init() {
  // Plain text only: whatever the label shows is shown, never interpreted as
  // markup or as a link of its own.
  setTextFormat(Qt::PlainText);
  setTextInteractionFlags(Qt::NoTextInteraction);
  foreColor_ = palette().color(QPalette::WindowText);
  SetLinkEnabled(false);
}

void CLabel::SetLinkEnabled(bool on) {
  linkEnabled_ = on;
  // Like a static text without the notify style: clicks go to the parent.
  setAttribute(Qt::WA_TransparentForMouseEvents, !on);
}

void CLabel::SetForeColor(const QColor& colour) {
  foreColor_ = colour;
  QPalette p = palette();
  p.setColor(QPalette::WindowText, colour);
  setPalette(p);
  repaint();
}

void CLabel::SetUnderline(bool on) {
  QFont f = font();
  f.setUnderline(on);
  setFont(f);
  repaint();
}

void CLabel::SetHoverCursor(const QCursor& cursor) {
  if (cursor.shape() == Qt::ArrowCursor)
    unsetCursor();
  else
    setCursor(cursor);
}

void CLabel::mousePressEvent(QMouseEvent* e) {
  if (linkEnabled_ && e->button() == Qt::LeftButton) OpenWithDesktop(DesktopTarget(text()));
  QLabel::mousePressEvent(e);
}

}  // namespace kestrel
