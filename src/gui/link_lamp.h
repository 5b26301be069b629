#pragma once

#include <QWidget>
#include <cstdint>

namespace kestrel {

class QtUserInterface;

// The communication status lamp: whether the last transaction got an answer.
// As a bar it is a strip across a window that says "Online" or "Offline",
// with the port and its speed and a note of what just happened; the panel
// carries two (under the user area and under the factory area) and every
// tool window one. As a dot it is a small round lamp beside a dialog's
// buttons that says its state in its tooltip.
class LinkLamp : public QWidget {
  Q_OBJECT
 public:
  enum class Look { Bar, Dot };

  explicit LinkLamp(uint32_t id = 0, QWidget* parent = nullptr, Look look = Look::Bar);

  // Shows the link state of the user interface from now on.
  void Follow(QtUserInterface& ui);

  uint32_t Id() const { return id_; }
  int State() const { return online_; }
  void SetState(int online);
  // What the bar says besides the state: the port and its speed, on one line
  // (shortened to fit); `more` (the whole reason there is no camera, say) is
  // in the bar's tooltip.
  void SetDetail(const QString& detail, const QString& more = {});
  // What just happened that the person should know (a value the camera did
  // not take); empty clears it.
  void SetNote(const QString& note);
  QString Note() const { return note_; }
  // Something wrong although the link answers ("3 of 79 parameters could not
  // be read"): the bar says it in place of "Online", with a red lamp; empty
  // clears it.
  void SetProblem(const QString& problem);
  QString Problem() const { return problem_; }
  // The operating mode the bar's window is in, shown after the state.
  void SetMode(const QString& mode);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor Lamp() const;
  void PaintBar(QPainter& p);
  void UpdateToolTip();

  uint32_t id_;
  Look look_;
  int online_ = -1;
  QString detail_;
  QString more_;
  QString note_;
  QString problem_;
  QString mode_;
};

// The colour of the words "Online" and "Offline" on a window of this palette:
// green or red, dark on a light window and light on a dark one.
QColor LinkStateColour(bool online, const QPalette& palette);

}  // namespace kestrel
