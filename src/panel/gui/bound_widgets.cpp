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

bool IsEscapeKey(const QKeyEvent* e) {
  return e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier;
}

// Focus that moves to a popup of the widget itself (its context menu) or
// away while the window is being torn down is no commit.
bool CommitsOnFocusOut(const QFocusEvent* e) {
  return e->reason() != Qt::PopupFocusReason;
}

}  // namespace

bool RevertUncommittedEdit(QWidget* w) {
  // The focus of a spin box sits in its inner line edit.
  for (int up = 0; w && up < 2; ++up, w = w->parentWidget()) {
    if (auto* spin = qobject_cast<SpinEdit*>(w)) return spin->RevertEdit();
    if (auto* edit = qobject_cast<TextEdit*>(w)) return edit->RevertEdit();
  }
  return false;
}

SpinEdit::SpinEdit(uint32_t id, QWidget* parent) : QAbstractSpinBox(parent), id_(id) {
  setObjectName(QString("ctl%1").arg(id));
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setAccelerated(false);
  setKeyboardTracking(false);
  setFocusPolicy(Qt::StrongFocus);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  lineEdit()->setText(tr("0"));
}

void SpinEdit::SetPosition(int32_t position) {
  position_ = position;
  shown_ = QString::number(position);
  lineEdit()->setText(shown_);
  update();
}

void SpinEdit::SetBoxText(const QString& text) {
  shown_ = text;
  lineEdit()->setText(text);
}

bool SpinEdit::RevertEdit() {
  if (lineEdit()->text() == shown_) return false;
  lineEdit()->setText(shown_);
  lineEdit()->selectAll();
  return true;
}

void SpinEdit::Commit(EditCommit how) {
  emit committed(id_, how);
  // Whatever the box shows now is what the panel made of it.
  shown_ = lineEdit()->text();
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
    Commit(EditCommit::Enter);
    // The panel's default handling of Enter does nothing; do not pass it on.
    e->accept();
    return;
  }
  // In a tool window Escape first takes back the typing, then closes.
  if (IsEscapeKey(e) && RevertEdit()) {
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
  if (CommitsOnFocusOut(e)) Commit(EditCommit::FocusLoss);
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

void TextEdit::Show(const QString& text) {
  shown_ = text;
  setText(text);
  setCursorPosition(0);
}

bool TextEdit::RevertEdit() {
  if (text() == shown_) return false;
  setText(shown_);
  selectAll();
  return true;
}

void TextEdit::Commit(EditCommit how) {
  emit committed(id_, how);
  shown_ = text();
}

void TextEdit::keyPressEvent(QKeyEvent* e) {
  if (IsEnterKey(e)) {
    Commit(EditCommit::Enter);
    e->accept();
    return;
  }
  if (IsEscapeKey(e) && RevertEdit()) {
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TextEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (CommitsOnFocusOut(e)) Commit(EditCommit::FocusLoss);
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
