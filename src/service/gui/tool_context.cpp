#include "service/gui/tool_context.h"

#include "gui/qt_user_interface.h"
#include "panel/gui/bound_widgets.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

ToolContext::ToolContext(CKestrelDlg& panel, QtUserInterface& ui)
    : panel_(panel), cmd_(panel.Cmd()), ui_(ui) {}

bool ToolContext::Operation(const std::function<void()>& f) {
  // Another window's exchange waiting for its reply, or its transfer, routine
  // or replay that owns the link while it pumps messages: a timer or a click
  // must not start a transaction inside it.
  if (depth_ > 0 || cmd_.InExchange() || cmd_.LinkOwned()) return false;
  ++depth_;
  CCamCmd::LinkOwner owner(cmd_);
  f();
  --depth_;
  return true;
}

uint32_t ToolContext::ControlOf(const std::string& mnemonic) const {
  const BindingTable& table = panel_.Table();
  for (int i = 0; i < table.Count(); ++i)
    if (mnemonic == table.Slot(i).command) return table.Slot(i).controlId;
  return 0;
}

SpinEdit* ToolContext::MakeBoundSpin(const std::string& mnemonic, QWidget* parent,
                                     std::function<void(uint32_t)> after) {
  const uint32_t id = ControlOf(mnemonic);
  auto* spin = new SpinEdit(id, parent);
  spin->setToolTip(QString::fromStdString(mnemonic));
  if (id == 0) {
    spin->setEnabled(false);
    return spin;
  }
  BindingTable& table = panel_.Table();
  panel_.View().Register(id, spin);
  for (int i = 0; i < table.Count(); ++i)
    if (const ControlBinding& b = table.Slot(i); b.controlId == id) {
      spin->SetRange(b.minimum, b.maximum);
      panel_.View().Describe(id, QString::fromUtf8(b.group), QString::fromUtf8(b.command),
                             QString::fromUtf8(b.unit));
    }
  QObject::connect(spin, &SpinEdit::committed, spin, [this, after, spin](uint32_t box, EditCommit) {
    Operation([&] {
      panel_.Table().SendEditBoxValue(box);
      // The next step starts from the number now in the box, as the spin
      // buttons of a committed box always do.
      spin->SetPosition(panel_.Table().GetParamInt(box));
      if (after) after(box);
    });
  });
  QObject::connect(spin, &SpinEdit::spinDelta, spin, [this, after, spin](uint32_t box, int delta) {
    Operation([&] {
      if (!panel_.Table().OnSpinDelta(box, delta)) {
        spin->DefaultStep(delta);
        return;
      }
      if (after) after(box);
    });
  });
  return spin;
}

void ToolContext::ShowOutcome(int ok) const {
  if (!ok) ui_.Show(cmd_.LastFailure());
}

void ToolContext::ShowQueryOutcome(int ok) const {
  if (cmd_.Config().offline != 1) ShowOutcome(ok);
}

}  // namespace kestrel
