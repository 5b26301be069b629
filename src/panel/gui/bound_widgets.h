#pragma once

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <cstdint>
#include <functional>

namespace kestrel {

// The panel's bound widgets. They only hold what the user sees and report what
// the user did; every rule lives in the binding table. Each carries its dialog
// control ID.

// How an edit box was committed.
enum class EditCommit { Enter, FocusLoss };

// Escape in a bound edit box (w or the box w belongs to) whose text was
// changed and not committed: the box shows again what the panel last showed,
// the value the camera holds. Returns whether there was such a change.
bool RevertUncommittedEdit(QWidget* w);

// An integer edit box with its spin buttons. The box takes any text (the table
// converts and clamps it when the box is committed); the spin position is the
// number last shown by the panel, which is what a step starts from.
class SpinEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  SpinEdit(uint32_t id, QWidget* parent = nullptr);

  uint32_t Id() const { return id_; }
  int32_t Position() const { return position_; }
  void SetPosition(int32_t position);  // also writes the number into the box
  void SetRange(int32_t minimum, int32_t maximum);
  // Rewrites the box without moving the spin (a clamped number the table shows).
  void SetBoxText(const QString& text);
  int32_t Minimum() const { return minimum_; }
  int32_t Maximum() const { return maximum_; }
  // Typing not committed yet goes back to the text last shown.
  bool RevertEdit();

  // A step the table declined (the blemish position boxes): move within the range.
  void DefaultStep(int delta);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString&) const override {}
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // Before the position moves; the receiver decides the new position.
  void spinDelta(uint32_t id, int delta);
  void committed(uint32_t id, kestrel::EditCommit how);

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  uint32_t id_;
  void Commit(EditCommit how);

  int32_t position_ = 0;
  int32_t minimum_ = 0;
  int32_t maximum_ = 255;
  QString shown_ = "0";  // what the panel last wrote into the box
};

// A text edit box without spin (the lens names).
class TextEdit : public QLineEdit {
  Q_OBJECT
 public:
  TextEdit(uint32_t id, QWidget* parent = nullptr);
  uint32_t Id() const { return id_; }
  // The text the panel shows (the value the camera holds).
  void Show(const QString& text);
  bool RevertEdit();

 signals:
  void committed(uint32_t id, kestrel::EditCommit how);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void Commit(EditCommit how);

  uint32_t id_;
  QString shown_;
};

// A drop-down list whose selection index is the value.
class ListBox : public QComboBox {
  Q_OBJECT
 public:
  ListBox(uint32_t id, QWidget* parent = nullptr);
  uint32_t Id() const { return id_; }

 signals:
  void selectionChanged(uint32_t id);

 protected:
  // A wheel turned over an unfocused list would change a camera setting while
  // the user only scrolls past it.
  void wheelEvent(QWheelEvent* e) override;

 private:
  uint32_t id_;
};

}  // namespace kestrel
