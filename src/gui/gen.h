#pragma once

#include <QEventLoop>
#include <string>

namespace kestrel {

// The small utilities the panels share that still make sense on Qt. Control
// typing and radio groups are Qt's business (qobject_cast, QButtonGroup).
namespace gen {

// Handles at most one pass of pending window events without waiting, so windows
// repaint while a long camera operation runs on the user-interface thread. The
// windows that must not be used meanwhile are disabled by their callers.
void PumpOneMessage(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

}  // namespace gen

}  // namespace kestrel
