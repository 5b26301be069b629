#pragma once

#include <QColor>
#include <QCursor>
#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

namespace kestrel {

// Hands a target to the desktop's default handler (a browser for a web
// address, the viewer for a document). Only ever called with what the program
// itself put into a label or what the user picked from a list of local files,
// never with text that came from the camera.
void OpenWithDesktop(const QUrl& target);
// The URL a label text or a help file name stands for: a text with a scheme
// ("https://...") as it is, anything else as a file relative to the current
// directory. An empty text gives an empty URL.
QUrl DesktopTarget(const QString& text);
// Tests replace the desktop; an empty function brings it back.
using DesktopOpener = std::function<void(const QUrl&)>;
void SetDesktopOpener(DesktopOpener opener);

// A static text that can act as a hyperlink: its own colour and font, an
// optional hover cursor, and with linking on a left click opens its text.
class CLabel : public QLabel {
  Q_OBJECT
 public:
  explicit CLabel(QWidget* parent = nullptr);
  explicit CLabel(const QString& text, QWidget* parent = nullptr);

  // Off, clicks go to the parent as for any static text. A new label is off.
  void SetLinkEnabled(bool on);
  void SetForeColor(const QColor& colour);
  // Touches only the underline; every other font attribute stays.
  void SetUnderline(bool on);
  // Shown while the pointer is over the label; a default cursor unsets it.
  void SetHoverCursor(const QCursor& cursor);

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void Init();

  bool linkEnabled_ = false;
  QColor foreColor_;
};

}  // namespace kestrel
