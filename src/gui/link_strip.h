#pragma once

#include <QWidget>

namespace kestrel {

// The thin link-state strip of the tool dialogs: green while the camera
// answers, red while it does not.
class LinkStrip : public QWidget {
  Q_OBJECT
 public:
  explicit LinkStrip(QWidget* parent = nullptr);
  int State() const { return online_; }
  void SetState(int online);
  QSize sizeHint() const override { return {293, 4}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int online_ = 0;
};

}  // namespace kestrel
