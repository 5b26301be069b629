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

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  uint32_t id_;
  int online_ = 0;
  QString detail_;
};

}  // namespace kestrel
