#pragma once

class QWidget;

namespace kestrel {

// Shows a tool window, raised and active; the first time beside the panel
// (to its right, kept on the panel's screen).
void ShowTool(QWidget* panel, QWidget* tool);

// Shows the tool beside the panel as soon as the panel itself first shows
// (at once when it already shows).
void ShowToolWithPanel(QWidget* panel, QWidget* tool);

}  // namespace kestrel
