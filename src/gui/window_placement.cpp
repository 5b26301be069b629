#include "gui/window_placement.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace kestrel {

namespace {

// Windows whose place is worth keeping: named tool windows and the panel.
// Message boxes and file dialogs open over their owner every time.
bool Remembered(const QWidget* w) {
  return !w->objectName().isEmpty() && w->objectName() != "progressWindow" &&
         !qobject_cast<const QMessageBox*>(w) && !qobject_cast<const QFileDialog*>(w);
}

bool PlacedWindow(const QObject* o) {
  const auto* w = qobject_cast<const QWidget*>(o);
  if (!w || !w->isWindow()) return false;
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog;
}

}  // namespace

QRect FitInto(QRect frame, const QRect& available) {
  if (!available.isValid()) return frame;
  frame.setWidth(std::min(frame.width(), available.width()));
  frame.setHeight(std::min(frame.height(), available.height()));
  const int x = std::clamp(frame.x(), available.left(), available.right() - frame.width() + 1);
  const int y = std::clamp(frame.y(), available.top(), available.bottom() - frame.height() + 1);
  frame.moveTo(x, y);
  return frame;
}

std::string GeometryText(const QRect& g) {
  return QString("%1,%2,%3,%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()).toStdString();
}

bool ParseGeometry(const std::string& text, QRect& geometry) {
  const QStringList parts = QString::fromStdString(text).split(',');
  if (parts.size() != 4) return false;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return false;
  }
  if (v[2] <= 0 || v[3] <= 0) return false;
  geometry = QRect(v[0], v[1], v[2], v[3]);
  return true;
}

WindowPlacement::WindowPlacement(QWidget* panel, std::map<std::string, std::string>& remembered)
    : QObject(panel), panel_(panel), remembered_(remembered) {
  qApp->installEventFilter(this);
}

WindowPlacement::~WindowPlacement() {
  qApp->removeEventFilter(this);
}

QRect WindowPlacement::AvailableArea() const {
  QScreen* screen = panel_ ? panel_->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

void WindowPlacement::KeepOnScreen(QWidget* w) const {
  const QRect frame = w->frameGeometry();
  const QRect fitted = FitInto(frame, AvailableArea());
  if (fitted == frame) return;
  // The frame around the content (title bar, borders) stays what it is.
  w->resize(w->size() - (frame.size() - fitted.size()));
  w->move(fitted.topLeft());
}

std::string WindowPlacement::KeyOf(const QWidget* w) {
  const QString key = w->property(kPlacementKey).toString();
  return (key.isEmpty() ? w->objectName() : key).toStdString();
}

void WindowPlacement::Remember(QWidget* w) {
  if (!Remembered(w) || !w->property("placeRestored").toBool()) return;
  remembered_[KeyOf(w)] = GeometryText(QRect(w->pos(), w->size()));
}

bool WindowPlacement::SwitchKey(QWidget* w, const QString& key) {
  if (w->isVisible()) Remember(w);
  w->setProperty(kPlacementKey, key);
  auto it = remembered_.find(KeyOf(w));
  QRect g;
  if (it == remembered_.end() || !ParseGeometry(it->second, g)) return false;
  w->resize(g.size().expandedTo(w->minimumSize()));
  KeepOnScreen(w);
  return true;
}

void WindowPlacement::RememberShown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && PlacedWindow(w)) Remember(w);
}

void WindowPlacement::Restore(QWidget* w) {
  w->setProperty("placeRestored", true);
  if (!Remembered(w)) return;
  auto it = remembered_.find(KeyOf(w));
  QRect g;
  if (it == remembered_.end() || !ParseGeometry(it->second, g)) return;
  w->resize(g.size().expandedTo(w->minimumSize()));
  w->move(g.topLeft());
  // A window placed by whoever shows it (beside the panel) keeps this place.
  w->setProperty("placed", true);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* e) {
  if ((e->type() == QEvent::Show || e->type() == QEvent::Hide) && PlacedWindow(watched)) {
    auto* w = static_cast<QWidget*>(watched);
    if (e->type() == QEvent::Hide) {
      Remember(w);
    } else {
      if (!w->property("placeRestored").toBool()) Restore(w);
      KeepOnScreen(w);
    }
  }
  return QObject::eventFilter(watched, e);
}

}  // namespace kestrel
