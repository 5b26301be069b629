#pragma once

#include <gtest/gtest.h>

#include "common/recording_ui.h"
#include "fake_camera.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "protocol/cam_cmd.h"

namespace kestrel::testing {

// The binding table on headless widgets, connected to a fake camera.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = camera.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
    table.AttachView(&view);
    camera.ClearHistory();
  }
  // What a user does in an edit box: type, then press Enter or leave it.
  void Commit(uint32_t id, const std::string& text,
              BindingTable::Commit how = BindingTable::Commit::FocusLoss) {
    view.Type(id, text);
    table.OnEditCommitted(id, how);
  }
  void Select(uint32_t id, int index) {
    view.SetSelection(id, index);
    table.OnSelectionChanged(id);
  }

  FakeCamera camera;
  Settings settings;
  RecordingUi ui;
  CCamCmd cmd{settings, ui};
  BindingTable table{cmd};
  HeadlessBindingView view{table};
};

}  // namespace kestrel::testing
