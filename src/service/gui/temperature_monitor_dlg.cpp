#include "service/gui/temperature_monitor_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/gui/tool_context.h"

namespace kestrel {

TemperatureLamp::TemperatureLamp(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
}

void TemperatureLamp::SetLit(bool on) {
  lit_ = on;
  repaint();
}

void TemperatureLamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.setBrush(lit_ ? QColor(0, 255, 255) : palette().color(QPalette::Window));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

QLabel* Field() {
  auto* l = new QLabel(kTemperatureUnknown);
  l->setFrameShape(QFrame::StyledPanel);
  l->setFrameShadow(QFrame::Sunken);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setFixedHeight(28);
  return l;
}

}  // namespace

CDlgTemp::CDlgTemp(ToolContext& tools, QWidget* parent)
    : ToolWindow("Temperature", tools.Ui(), parent), tools_(tools), monitor_(tools.Cmd(), *this) {
  QVBoxLayout* top = Body();
  auto* g = new QGridLayout;
  sensor1_ = Field();
  sensor2_ = Field();
  // Bold sans serif as tall as the field, in the palette's blue: read from
  // across the bench.
  QFont font("Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Bold);
  font.setPixelSize(sensor1_->height() - 8);
  for (QLabel* l : {sensor1_, sensor2_}) {
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    l->setPalette(p);
    l->setMinimumWidth(QFontMetrics(font).horizontalAdvance("-2048.0") + 16);
  }
  lamp_ = new TemperatureLamp;
  g->addWidget(new QLabel(tr("Sensor1")), 0, 0);
  g->addWidget(sensor1_, 0, 1);
  g->addWidget(new QLabel(tr("Sensor2")), 1, 0);
  g->addWidget(sensor2_, 1, 1);
  g->addWidget(lamp_, 0, 2, Qt::AlignTop);
  top->addLayout(g);
  FinishLayout();

  for (int id = 0; id < 2; ++id) {
    timers_[id].setSingleShot(false);
    connect(&timers_[id], &QTimer::timeout, this, [this, id] { TimerTick(id); });
  }
}

CDlgTemp::~CDlgTemp() {
  for (QTimer& t : timers_)
    t.stop();
  monitor_.Close();
}

void CDlgTemp::reject() {
  // Close, Esc and the title bar's close box all end the window: the panel's
  // "Temp" button makes a new one, which reads afresh.
  hide();
  deleteLater();
}

void CDlgTemp::Open() {
  // A reading blocks on the camera; one that another tool's exchange is
  // holding up waits for the next tick instead of nesting inside it.
  tools_.Operation([this] { monitor_.Open(); });
}

void CDlgTemp::TimerTick(int id) {
  if (id == TemperatureMonitor::kFlashTimer) {
    monitor_.OnTimer(id);
    return;
  }
  tools_.Operation([this, id] { monitor_.OnTimer(id); });
}

void CDlgTemp::StartTimer(int id, int periodMs) {
  if (id < 0 || id > 1) return;
  timers_[id].start(periodMs);
}

void CDlgTemp::StopTimer(int id) {
  if (id < 0 || id > 1) return;
  timers_[id].stop();
}

void CDlgTemp::ShowTemperatures(const std::string& sensor1, const std::string& sensor2) {
  // A reading in degrees Celsius; the placeholder of none as it is.
  auto shown = [](const std::string& text) {
    return text == kTemperatureUnknown
               ? QString::fromStdString(text)
               : QString::fromStdString(text) + QString::fromUtf8(" \u00b0C");
  };
  sensor1_->setText(shown(sensor1));
  sensor2_->setText(shown(sensor2));
}

void CDlgTemp::SetIndicator(bool on) {
  lamp_->SetLit(on);
}

void CDlgTemp::ReadingFailed(const Failure& failure) {
  tools_.Ui().Show(failure);
}

}  // namespace kestrel
