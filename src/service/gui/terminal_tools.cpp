#include "service/gui/terminal_tools.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "base/settings.h"
#include "gui/tool_window.h"
#include "panel/gui/kestrel_dlg.h"
#include "service/gui/comm_log_dlg.h"
#include "service/gui/terminal_routines_dlg.h"

namespace kestrel {

CRsTermDlg* InstallTerminal(CKestrelDlg& panel, QtUserInterface& ui) {
  if (auto* installed = panel.findChild<CRsTermDlg*>(QString(), Qt::FindDirectChildrenOnly))
    return installed;
  auto* terminal = new CRsTermDlg(panel.Cmd(), ui, &panel);
  terminal->SetMemorySectionVisible(panel.Config().operatingMode == kModeFactory);
  QObject::connect(&panel, &CKestrelDlg::modeChanged, terminal, [terminal](int mode) {
    terminal->SetMemorySectionVisible(mode == kModeFactory);
  });
  QObject::connect(&panel, &CKestrelDlg::busyChanged, terminal,
                   [terminal](bool busy) { terminal->setEnabled(!busy); });
  if (QPushButton* b = panel.ToolButton("buttonTerminal")) {
    CKestrelDlg::MakeAvailable(b);
    QObject::connect(b, &QPushButton::clicked, terminal,
                     [&panel, terminal] { ShowTool(&panel, terminal); });
  }
  // The Tools menu: the terminal and its routines, in every mode.
  if (QAction* a = panel.MenuAction("actionTerminal")) {
    CKestrelDlg::MakeAvailable(a);
    QObject::connect(a, &QAction::triggered, terminal,
                     [&panel, terminal] { ShowTool(&panel, terminal); });
  }
  if (QAction* a = panel.MenuAction("menuTerminalRoutines"); a && a->menu()) {
    AddTerminalRoutineMenu(a->menu(), terminal, panel.Cmd(), ui);
    a->menu()->setEnabled(true);
    QObject::connect(&panel, &CKestrelDlg::busyChanged, a->menu(),
                     [menu = a->menu()](bool busy) { menu->setEnabled(!busy); });
  }
  return terminal;
}

}  // namespace kestrel
