#pragma once

#include <QDialog>
#include <initializer_list>

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace kestrel {

class QtUserInterface;

// A tool window of the panel: its controls top to bottom, a row of buttons
// ending in Close, and the link strip along the bottom. Closing (Close, Esc,
// the title bar) rejects, which hides it; its size follows its content.
class ToolWindow : public QDialog {
  Q_OBJECT
 public:
  ToolWindow(const QString& title, QtUserInterface& ui, QWidget* parent = nullptr);

  QPushButton* CloseButton() const { return close_; }

 protected:
  // The layout the window's controls go into.
  QVBoxLayout* Body() const { return body_; }
  // Ends the window after its controls: the row of `buttons`, right-aligned,
  // and Close (none with `closeRow` false), then the link strip. No button of
  // the window is a default button: Enter in a box only commits the box.
  void FinishLayout(std::initializer_list<QPushButton*> buttons = {}, bool closeRow = true);

 private:
  QtUserInterface& ui_;
  QVBoxLayout* body_;
  QPushButton* close_ = nullptr;
};

// Shows a tool window, raised and active; the first time beside the panel
// (to its right, kept on the panel's screen).
void ShowTool(QWidget* panel, QWidget* tool);

// Shows the tool beside the panel as soon as the panel itself first shows
// (at once when it already shows).
void ShowToolWithPanel(QWidget* panel, QWidget* tool);

}  // namespace kestrel
