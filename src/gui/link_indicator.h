#pragma once

#include <QWidget>
#include <cstdint>

namespace kestrel {

// The communication status lamp: a strip across the panel that shows whether
// the last transaction got an answer. The panel carries two (one under the user
// area, one under the factory area) and shows the one that ends the window.
class LinkIndicator : public QWidget {
  Q_OBJECT
 public:
  LinkIndicator(uint32_t id, QWidget* parent = nullptr);

  uint32_t Id() const { return id_; }
  int State() const { return online_; }
  void SetState(int online);
  // What the strip says besides the state: the port and its speed.
  void SetDetail(const QString& detail);
  // What just happened that the person should know (a value the camera did
  // not take); empty clears it.
  void SetNote(const QString& note);
  QString Note() const { return note_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  uint32_t id_;
  int online_ = 0;
  QString detail_;
  QString note_;
};

// The colour of the words "Online" and "Offline" on a window of this palette:
// green or red, dark on a light window and light on a dark one.
QColor LinkStateColour(bool online, const QPalette& palette);

}  // namespace kestrel
