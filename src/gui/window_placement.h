#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <map>
#include <string>

class QWidget;

namespace kestrel {

// A window's frame made to fit an available screen area: shrunk to the area
// first, then moved inside it.
QRect FitInto(QRect frame, const QRect& available);

// How a window's place is kept in the settings: "x,y,width,height", the
// frame's top-left corner and the size of its content.
std::string GeometryText(const QRect& geometry);
bool ParseGeometry(const std::string& text, QRect& geometry);

// Keeps every window of the program on the screen the panel is on, and puts
// the panel and each tool window back where the person left them last time.
// Watches the whole application: on a window's first showing it restores the
// remembered place (by object name), then moves and shrinks the window until
// its frame lies fully on the panel's screen; when a window hides, its place
// is remembered. Message boxes, file dialogs and the progress window are
// placed over their owner by Qt and are only kept on the screen.
class WindowPlacement : public QObject {
 public:
  WindowPlacement(QWidget* panel, std::map<std::string, std::string>& remembered);
  ~WindowPlacement() override;

  // Remembers the place of every window that shows now (at the program's end).
  void RememberShown();
  // The available area of the panel's screen.
  QRect AvailableArea() const;
  // A window remembered under more than one name (the panel, once per
  // operating mode): remembers its place under the name it had, takes the new
  // one and the size remembered under it. False when none is remembered.
  bool SwitchKey(QWidget* window, const QString& key);
  // The property that names a window's remembered place; its object name
  // where it is not set.
  static constexpr const char* kPlacementKey = "placementKey";

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  static std::string KeyOf(const QWidget* window);
  void Remember(QWidget* window);
  void Restore(QWidget* window);
  // Moves and shrinks a window until its frame lies fully on the panel's screen.
  void KeepOnScreen(QWidget* window) const;

  QPointer<QWidget> panel_;
  std::map<std::string, std::string>& remembered_;
};

}  // namespace kestrel
