// kestrel-tool-shots FOLDER: pictures of the panel's tool windows for the
// documentation, taken against the simulated camera (tools/screenshots.sh):
// the terminal, the communication dialog, the area dialog, every factory
// tool window, the LUT editor, the calibration dialogs, the plot of correction
// data and the comparison with a setting file. Run it on the offscreen platform.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/text_file.h"
#include "correction/data_file.h"
#include "correction/gui/calibration_dlg.h"
#include "correction/gui/correction_plot_dlg.h"
#include "correction/gui/correction_tools.h"
#include "correction/gui/lut_table_dlg.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "panel/gui/areas_dlg.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "panel/gui/setting_diff_dlg.h"
#include "protocol/cam_cmd.h"
#include "service/gui/about_info_dlg.h"
#include "service/gui/afe_register_dlg.h"
#include "service/gui/camera_id_dlg.h"
#include "service/gui/comm_log_dlg.h"
#include "service/gui/dac_write_dlg.h"
#include "service/gui/factory_tools.h"
#include "service/gui/fpga_register_dlg.h"
#include "service/gui/sensor_memory_dlg.h"
#include "service/gui/temperature_monitor_dlg.h"
#include "service/gui/terminal_tools.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

// Lets the windows paint and the camera's replies arrive.
void Settle(int ms = 150) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// What the pictures show of the camera: temperatures, versions, a name and
// the AFE rows of the factory tools.
void DressCamera(sim::CameraModel& m) {
  m.SetInt("TMP0", 612);
  m.SetInt("TMP02", 598);
  m.SetInt("VN", 1203);
  m.SetInt("PV", 2011);
  m.SetInt("PVFE", 2010);
  m.SetText("UD", "LINE3-WEST");
  for (int tap = 1; tap <= 16; ++tap) {
    m.SetInt("SHDL" + std::to_string(tap), 20 + tap);
    m.SetInt("SHPL" + std::to_string(tap), 4 + tap / 2);
  }
  for (int row = 0; row < 16; ++row) {
    m.SetInt("B1O" + std::to_string(row) + "F", 2048 + 8 * row);
    m.SetInt("B2O" + std::to_string(row) + "F", 2040 + 8 * row);
  }
  m.SetInt("SNOF", 1);
  m.SetInt("LUTC1", 2);
  m.SetInt("SDC", 2);
}

class Shots {
 public:
  explicit Shots(const QString& folder) : folder_(folder) {}
  void Take(QWidget* w, const char* name) {
    w->show();
    Settle();
    Save(w->grab(), name);
    w->hide();
  }
  void Save(const QPixmap& picture, const char* name) {
    if (!picture.save(folder_.filePath(name))) {
      std::fprintf(stderr, "kestrel-tool-shots: cannot write %s\n",
                   folder_.filePath(name).toLocal8Bit().constData());
      failed_ = true;
    }
  }
  bool Failed() const { return failed_; }

 private:
  QDir folder_;
  bool failed_ = false;
};

int Run(const QString& folder) {
  QTemporaryDir dir;
  if (!dir.isValid() || !QDir().mkpath(folder)) return 1;
  // The start-up guard writes into the settings file; never the user's own.
  qputenv("KESTREL_CONFIG", QDir(dir.path()).filePath("kestrel.ini").toLocal8Bit());

  sim::SimOptions options;
  options.startBaud = 115200;
  sim::PtyCamera camera(options);
  camera.WithModel(DressCamera);

  Settings settings;
  settings.commDevice = camera.SlavePath();
  settings.operatingMode = kModeFactory;
  settings.cameraId = "K93020417A";
  QtUserInterface ui;
  // Nobody answers: say what would have been asked and take the first answer.
  ui.SetResponder([](const std::string& text, MsgIcon, MsgButtons buttons, const std::string&) {
    std::fprintf(stderr, "kestrel-tool-shots: %s\n", text.c_str());
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                              : MsgAnswer::Ok;
  });
  CCamCmd cmd(settings, ui);
  CKestrelDlg panel(cmd, ui);
  panel.SetAskOnExit(false);
  PanelCommands* commands = InstallPanelCommands(panel, ui);
  CRsTermDlg* terminal = InstallTerminal(panel, ui);
  FactoryTools* tools = InstallFactoryTools(panel, ui);
  InstallCorrectionTools(panel, ui);
  panel.show();
  Settle();
  if (!panel.Initialise()) {
    std::fprintf(stderr, "kestrel-tool-shots: the simulated camera did not answer\n");
    return 1;
  }
  Shots shots(folder);

  terminal->show();
  for (const char* line : {"MD?", "VN?", "LR?", "DMW?&H260000, &H4"}) {
    terminal->findChild<QLineEdit*>("cmdEdit")->setText(line);
    terminal->Send();
    Settle();
  }
  terminal->findChild<QLineEdit*>("dumpMemAddr")->setText("260000");
  terminal->findChild<QLineEdit*>("dumpMemSize")->setText("4");
  terminal->findChild<QLineEdit*>("wrtMemAddr")->setText("260000");
  terminal->findChild<QLineEdit*>("wrtMemData")->setText("1F");
  terminal->findChild<QLineEdit*>("cmdEdit")->setText("LR?");
  terminal->resize(620, 400);
  shots.Take(terminal, "terminal.png");

  CCommSelDlg& comm = commands->Communication();
  comm.show();
  comm.OnGetArea();
  comm.AreaList()->setCurrentIndex(1);
  comm.adjustSize();
  shots.Take(&comm, "communication.png");

  CAreaSelDlg area(&panel, false, kModeFactory, 1, ui.LinkState());
  shots.Take(&area, "area-select.png");

  tools->Afe().Selector()->setCurrentIndex(2);
  tools->Afe().Address()->setCurrentIndex(7);
  tools->Afe().Data()->setText("12");
  shots.Take(&tools->Afe(), "afe.png");
  tools->ShowSensorMemory();
  tools->SensorMemory().Block()->setCurrentIndex(5);
  shots.Take(&tools->SensorMemory(), "sensor-memory.png");
  tools->Dac().Function()->setCurrentIndex(3);
  tools->Dac().Ad5590Data()->setText("2048");
  shots.Take(&tools->Dac(), "dac.png");
  tools->Fpga().Offset()->setText("1A");
  tools->Fpga().Get();
  shots.Take(&tools->Fpga(), "fpga.png");
  tools->ShowTemperature();
  if (CDlgTemp* temp = tools->Temperature()) shots.Take(temp, "temperature.png");
  tools->ShowAbout();
  shots.Take(&tools->About(), "about.png");
  tools->CameraId().SetButton()->setFocus();
  shots.Take(&tools->CameraId(), "camera-id.png");

  CorrectionTools& correction = *CorrectionTools::Of(panel);
  correction.ShowLut(0);
  CLUTDlg& lut = correction.Lut(0);
  QWidget* graph = lut.findChild<QWidget*>("lutGraph");
  for (auto [x, y] : {std::pair{40, 200}, {90, 120}, {150, 80}, {210, 30}}) {
    const QPointF at(x, y);
    QMouseEvent drag(QEvent::MouseMove, at, graph->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(graph, &drag);
  }
  shots.Take(&lut, "lut-editor.png");

  // The two calibration dialogs side by side.
  CDlgCorrect shading(panel, ui, 0);
  CDlgColumnCal column(panel, ui);
  shading.show();
  column.show();
  Settle();
  const QPixmap left = shading.grab(), right = column.grab();
  QPixmap both(left.width() + right.width() + 24, std::max(left.height(), right.height()) + 16);
  both.fill(QColor(235, 235, 235));
  {
    QPainter p(&both);
    p.drawPixmap(8, 8, left);
    p.drawPixmap(left.width() + 16, 8, right);
  }
  shots.Save(both, "calibration.png");
  shading.hide();
  column.hide();

  // The pixel gain of both sensors beside a file that differs from Sensor1.
  CCorrectionPlotDlg& plot = correction.Plot();
  plot.show();
  plot.ReadCamera(CorrectionKind::PixelGain);
  std::vector<int32_t> file = camera.WithModel([](sim::CameraModel& m) { return m.Array("PGD"); });
  for (int32_t& v : file)
    v += 200;
  file[300] += 700;
  const std::string gain = QDir(dir.path()).filePath("gain1.csv").toStdString();
  if (WriteFileAtomically(gain, FormatDataText(file.data(), 1, 1024)))
    plot.OpenFile(QString::fromStdString(gain));
  plot.resize(900, 640);
  shots.Take(&plot, "correction-plot.png");

  // File -> "Compare with Camera..." against a setting file; TR2 cannot be read.
  camera.WithModel([](sim::CameraModel& m) { m.knobs.rejected.insert("TR2"); });
  const std::string cam = QDir(dir.path()).filePath("line.cam").toStdString();
  WriteFileAtomically(cam, "LR=900\r\nPE=136\r\nCABA2=1,5\r\nCABN1=Lens A,50mm\r\nTR2=1\r\n");
  SetFileChooser([&cam](const FileRequest&) { return cam; });
  panel.MenuAction("actionCompareWithCamera")->trigger();
  SetFileChooser({});
  if (CCompareDlg* compare = commands->CompareWindow()) {
    compare->Table().sortItems(1);
    compare->resize(760, 260);
    shots.Take(compare, "compare-with-camera.png");
  }
  return shots.Failed() ? 1 : 0;
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrel-tool-shots FOLDER\n");
    return 2;
  }
  return kestrel::Run(QString::fromLocal8Bit(argv[1]));
}
