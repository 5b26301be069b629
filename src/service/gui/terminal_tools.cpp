#include "service/gui/terminal_tools.h"

#include <QPushButton>

#include "base/settings.h"
#include "gui/tool_window.h"
#include "panel/gui/kestrel_dlg.h"
#include "service/gui/comm_log_dlg.h"

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
  return terminal;
}

}  // namespace kestrel
