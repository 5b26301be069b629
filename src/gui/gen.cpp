#include "gui/gen.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace kestrel::gen {

void PumpOneMessage(QEventLoop::ProcessEventsFlags flags) {
  // A budget of 0 ms runs exactly one dispatcher pass over what is already
  // queued and never blocks for new events.
  if (QCoreApplication::instance()) QCoreApplication::processEvents(flags, 0);
}

}  // namespace kestrel::gen
