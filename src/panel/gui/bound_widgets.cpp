#include "panel/gui/bound_widgets.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <algorithm>

namespace kestrel {

namespace {

bool IsEnterKey(const QKeyEvent* e) {
  return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

// Focus that moves to a popup of the widget itself (its context menu) or
// away while the window is being torn down is no commit.
bool CommitsOnFocusOut(const QFocusEvent* e) {
  return e->reason() != Qt::PopupFocusReason;
}

}  // namespace

SpinEdit::SpinEdit(uint32_t id, QWidget* parent) : QAbstractSpinBox(parent), id_(id) {
  setObjectName(QString("ctl%1").arg(id));
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setAccelerated(false);
  setKeyboardTracking(false);
  setFocusPolicy(Qt::StrongFocus);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  lineEdit()->setText("0");
}

void SpinEdit::SetPosition(int32_t position) {
  position_ = position;
  lineEdit()->setText(QString::number(position));
  update();
}

void SpinEdit::SetBoxText(const QString& text) {
  lineEdit()->setText(text);
}

void SpinEdit::SetRange(int32_t minimum, int32_t maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  update();
}

void SpinEdit::DefaultStep(int delta) {
  const int64_t target = std::clamp<int64_t>(int64_t{position_} + delta, minimum_, maximum_);
  SetPosition(static_cast<int32_t>(target));
}

void SpinEdit::stepBy(int steps) {
  if (steps != 0) emit spinDelta(id_, steps);
}

QValidator::State SpinEdit::validate(QString&, int&) const {
  // Any text may be typed; it is converted and clamped on commit.
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
  if (isReadOnly()) return StepNone;
  // Both arrows stay live at a limit: a press there is clamped to the limit,
  // which sends a value the box shows but the camera may not have yet.
  return StepUpEnabled | StepDownEnabled;
}

QSize SpinEdit::sizeHint() const {
  QSize s = QAbstractSpinBox::sizeHint();
  const int digits = fontMetrics().horizontalAdvance(QStringLiteral("-00000"));
  s.setWidth(std::max(digits + 30, 64));
  return s;
}

QSize SpinEdit::minimumSizeHint() const {
  return sizeHint();
}

void SpinEdit::keyPressEvent(QKeyEvent* e) {
  if (IsEnterKey(e)) {
    emit committed(id_, EditCommit::Enter);
    // The panel's default handling of Enter does nothing; do not pass it on.
    e->accept();
    return;
  }
  QAbstractSpinBox::keyPressEvent(e);
}

void SpinEdit::focusOutEvent(QFocusEvent* e) {
  // Skip QAbstractSpinBox's own focus-out correction: the text is the table's
  // to judge.
  QWidget::focusOutEvent(e);
  // The inner line edit still has to stop its cursor and drop the selection.
  QCoreApplication::sendEvent(lineEdit(), e);
  update();
  if (CommitsOnFocusOut(e)) emit committed(id_, EditCommit::FocusLoss);
}

void SpinEdit::wheelEvent(QWheelEvent* e) {
  if (!hasFocus()) {
    e->ignore();
    return;
  }
  QAbstractSpinBox::wheelEvent(e);
}

TextEdit::TextEdit(uint32_t id, QWidget* parent) : QLineEdit(parent), id_(id) {
  setObjectName(QString("ctl%1").arg(id));
}

void TextEdit::keyPressEvent(QKeyEvent* e) {
  if (IsEnterKey(e)) {
    emit committed(id_, EditCommit::Enter);
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TextEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (CommitsOnFocusOut(e)) emit committed(id_, EditCommit::FocusLoss);
}

ListBox::ListBox(uint32_t id, QWidget* parent) : QComboBox(parent), id_(id) {
  setObjectName(QString("ctl%1").arg(id));
  setFocusPolicy(Qt::StrongFocus);
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(this, &QComboBox::activated, this, [this](int) { emit selectionChanged(id_); });
}

void ListBox::wheelEvent(QWheelEvent* e) {
  if (!hasFocus()) {
    e->ignore();
    return;
  }
  QComboBox::wheelEvent(e);
}

}  // namespace kestrel
