// The Python module `kestrel`: one camera, its port kept open between calls,
// over the engine kestrelctl and the panel use. Failures become exceptions
// by kind; the interpreter lock is released while the camera is waited on.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "backup/camera_backup.h"
#include "base/checked_input.h"
#include "base/settings.h"
#include "base/tar_archive.h"
#include "base/text_file.h"
#include "base/user_interface.h"
#include "correction/correction_kind.h"
#include "correction/data_transfer.h"
#include "correction/lut_table.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"
#include "panel/set_line_check.h"
#include "panel/setting_diff.h"
#include "panel/setting_file.h"
#include "panel/tool_session.h"
#include "protocol/cam_cmd.h"
#include "service/about_info.h"
#include "service/temperature_monitor.h"

namespace py = pybind11;

namespace kestrel::python {
namespace {

// The exception classes, made when the module is imported.
struct Errors {
  py::object base, noAnswer, rejected, lost, unreadable, badInput;
};
Errors& Classes() {
  static Errors* errors = new Errors;  // lives as long as the interpreter
  return *errors;
}

// A failure as the exception of its kind; raised by the caller.
[[noreturn]] void Raise(const Failure& failure) {
  const Errors& e = Classes();
  py::object type = e.base;
  switch (failure.kind) {
    case FailureKind::NoAnswer:
      type = e.noAnswer;
      break;
    case FailureKind::Rejected:
      type = e.rejected;
      break;
    case FailureKind::Lost:
      type = e.lost;
      break;
    case FailureKind::Unreadable:
      type = e.unreadable;
      break;
    case FailureKind::BadInput:
      type = e.badInput;
      break;
    default:
      break;
  }
  const std::string text = failure.text.empty() ? std::string("failed") : failure.text;
  py::object error = type(text);
  if (failure.kind == FailureKind::Rejected) {
    // The camera's own line: the first line of the text, before " for COMMAND".
    std::string reply = text.substr(0, text.find('\n'));
    if (const size_t at = reply.rfind(" for "); at != std::string::npos) reply.resize(at);
    error.attr("reply") = reply;
  }
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

[[noreturn]] void RaiseBadInput(const std::string& text) {
  Raise(Failure(FailureKind::BadInput, text));
}

// Reads one sensor pair for temperature().
class Readings : public TemperatureHost {
 public:
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  void ShowTemperatures(const std::string& s1, const std::string& s2) override {
    sensor1 = s1;
    sensor2 = s2;
  }
  void SetIndicator(bool) override {}
  void ReadingFailed(const Failure& f) override {
    if (!failure) failure = f;
  }
  std::string sensor1, sensor2;
  Failure failure;
};

py::object ValueObject(const CommandEntry& row, const ParamValue& value) {
  if (row.valueType == kTypeText) return py::str(value.textValue);
  return py::int_(value.intValue);
}

class Camera {
 public:
  Camera(std::string port, std::optional<int> baud, std::optional<int> timeoutMs)
      : port_(std::move(port)) {
    if (port_.empty()) RaiseBadInput("the port is empty: a device path, tcp:// or rfc2217://");
    if (baud && IndexOfBaud(*baud) < 0) RaiseBadInput("baud is one of " + CameraBaudList(" or "));
    if (timeoutMs && *timeoutMs <= 0) RaiseBadInput("timeout_ms is a number of milliseconds");
    settings_.commDevice = port_;
    settings_.baudRate = baud ? IndexOfBaud(*baud) : 0;
    settings_.speedGiven = baud.has_value();
    if (timeoutMs) {
      timeoutMs_ = *timeoutMs;
      settings_.replyTimeoutMs = *timeoutMs;
    }
    cmd_ = std::make_unique<CCamCmd>(settings_, ui_);
    Run([] {});  // reaches the camera
  }
  ~Camera() { Close(); }

  void Close() {
    py::gil_scoped_release unlocked;
    std::lock_guard<std::mutex> lock(mutex_);
    if (cmd_) cmd_->ClosePort();
  }

  int Baud() const { return BaudOfIndex(settings_.baudRate); }
  const std::string& Port() const { return port_; }

  py::object Query(const std::string& name) {
    const int row = ResolveQueryName(cmd_->Table(), name);
    if (row < 0) RaiseBadInput("unknown command name " + name);
    ParamValue value;
    Run([&] {
      if (cmd_->QueryValue(row, value, timeoutMs_) != 1) Fail();
    });
    return ValueObject(cmd_->Table()[row], value);
  }

  void Set(const std::string& name, const py::object& value) {
    std::string text;
    if (py::isinstance<py::bool_>(value) ||
        !(py::isinstance<py::int_>(value) || py::isinstance<py::str>(value)))
      RaiseBadInput("a value is an int or a str");
    text = py::str(value);
    // "CABT2?2" names row 2 of an indexed command: its set line is CABT2=2,VALUE.
    std::string line = name + "=" + text;
    if (const size_t q = name.find('?'); q != std::string::npos)
      line = name.substr(0, q) + "=" + name.substr(q + 1) + "," + text;
    CheckedSet set;
    if (std::string why = CheckSetLine(cmd_->Table(), line, set); !why.empty())
      RaiseBadInput(why + "; nothing was sent");
    Run([&] {
      if (set.cmdIndex == cmd::CBDRT && !cmd_->LinkCarriesSpeed())
        Fail(Failure(FailureKind::BadInput,
                     "CBDRT would leave the camera at a speed the relay's line does not run at: " +
                         port_ + " passes no speed on (rfc2217:// does); nothing was sent"));
      if (cmd_->SetValue(set.cmdIndex, set.value, timeoutMs_) != 1) Fail();
      if (set.cmdIndex == cmd::CBDRT && !FollowCameraSpeed(*cmd_, set.value.intValue)) Fail();
    });
  }

  void Apply(const std::string& path) {
    std::string text;
    if (std::string why = ReadInputFile(path, kMaxSettingFileBytes, text); !why.empty())
      Raise(Failure(FailureKind::FileError, path + ": " + why));
    const SettingFileCheck check = CheckSettingText(cmd_->Table(), text);
    if (!check.problems.empty())
      RaiseBadInput(path + ": " + std::to_string(check.problems.size()) + " of " +
                    std::to_string(check.lines) + " lines cannot be sent; nothing was sent:\n" +
                    ProblemSummary(check.problems));
    Run([&] {
      const ReplayResult r = ReplaySettingText(text, *cmd_, nullptr);
      if (r.ok()) return;
      if (r.lostAtLine > 0)
        Fail(Failure(FailureKind::Lost, cmd_->LostText() + "\nStopped at line " +
                                            std::to_string(r.lostAtLine) + " of " +
                                            std::to_string(r.lines) + "; the rest was not sent."));
      Fail();
    });
  }

  py::dict ReadAll(bool factory) {
    std::vector<BindingValue> values;
    const int mode = factory ? kModeFactory : kModeUser;
    Run([&] {
      settings_.operatingMode = mode;
      // The panel's start-up: the speed found, and moved where the speed
      // policy allows.
      Connection connection(*cmd_, Timings());
      if (!connection.NegotiateAndConnect()) {
        if (connection.LastFailure()) Fail(connection.LastFailure());
        Fail(Failure(cmd_->LinkLost() ? FailureKind::Lost : FailureKind::NoAnswer,
                     connection.Failure()));
      }
      BindingTable table(*cmd_);
      SilentReporter silent;
      table.SetReporter(silent);
      HeadlessBindingView view(table);
      table.AttachView(&view);
      const int failed = table.ReadAllParams();
      if (failed > 0) {
        // Start values in place of the camera's are never handed out.
        Failure why = cmd_->LastFailure();
        why.text = std::to_string(failed) + " parameters could not be read" +
                   (why.text.empty() ? std::string() : ": " + why.text);
        if (cmd_->LinkLost()) why = Failure(FailureKind::Lost, cmd_->LostText());
        Fail(why);
      }
      values = BindingValues(table);
    });
    py::dict out;
    for (const ValueGroup& g : GroupFileValues(cmd_->Table(), values, mode)) {
      if (!g.indexed) {
        out[py::str(g.mnemonic)] =
            ValueObject(cmd_->Table()[g.members[0]->cmdIndex], g.members[0]->value);
        continue;
      }
      py::list members;
      for (const BindingValue* b : g.members)
        members.append(b ? ValueObject(cmd_->Table()[b->cmdIndex], b->value) : py::none());
      out[py::str(g.mnemonic)] = members;
    }
    return out;
  }

  py::list Diff(const std::string& path) {
    std::string text;
    if (std::string why = ReadInputFile(path, kMaxSettingFileBytes, text); !why.empty())
      Raise(Failure(FailureKind::FileError, path + ": " + why));
    SettingRows rows = ReadSettingRows(*cmd_, text);
    if (!rows.problems.empty()) {
      std::string problems;
      for (const std::string& p : rows.problems)
        problems += "\n" + p;
      RaiseBadInput(path + " cannot be compared:" + problems);
    }
    std::vector<SettingDifference> differences;
    Run([&] {
      const CameraValues values = ReadCameraValues(*cmd_, rows.rows, timeoutMs_);
      if (values.Unread() > 0) {
        // A difference that is only a value the camera did not give is no
        // difference to report.
        Failure why = cmd_->LastFailure();
        why.text = std::to_string(values.Unread()) + " of " + std::to_string(rows.rows.size()) +
                   " parameters could not be read from the camera" +
                   (why.text.empty() ? std::string() : ": " + why.text);
        if (!why) why.kind = FailureKind::NoAnswer;
        Fail(why);
      }
      differences = DiffWithCamera(*cmd_, values);
    });
    py::list out;
    for (const SettingDifference& d : differences) {
      py::dict row;
      row["name"] = d.name;
      row["caption"] = d.caption;
      row["file"] = d.hasFile ? py::object(py::str(d.file)) : py::none();
      row["camera"] = d.hasOther ? py::object(py::str(d.other)) : py::none();
      out.append(row);
    }
    return out;
  }

  std::vector<int32_t> CorrectionRead(const std::string& kindName, int sensor) {
    const CorrectionKind kind = Kind(kindName);
    Sensor(sensor);
    std::vector<int32_t> values(static_cast<size_t>(InfoOf(kind).count));
    Run([&] {
      CDataTransfer engine(*cmd_, Transfer());
      if (!engine.ReadCorrection(kind, values.data(), sensor)) Fail();
    });
    return values;
  }

  void CorrectionWrite(const std::string& kindName, int sensor,
                       const std::vector<int32_t>& values) {
    const CorrectionKind kind = Kind(kindName);
    Sensor(sensor);
    const CorrectionKindInfo& info = InfoOf(kind);
    if (static_cast<int>(values.size()) != info.count)
      RaiseBadInput(std::string(info.name) + " takes " + std::to_string(info.count) +
                    " values, not " + std::to_string(values.size()) + "; nothing was sent");
    if (Failure why = CheckDataRange(values.data(), info.count, info.minimum, info.maximum)) {
      why.text += "; nothing was sent";
      Raise(why);
    }
    Run([&] {
      CDataTransfer engine(*cmd_, Transfer());
      if (!engine.WriteCorrection(kind, values.data(), sensor)) Fail();
    });
  }

  std::vector<int32_t> LutRead(int channel) {
    Channel(channel);
    LutTable table{};
    Run([&] {
      if (ReadLutTable(*cmd_, channel - 1, table, timeoutMs_) < kLutEntries) Fail();
    });
    return {table.begin(), table.end()};
  }

  void LutWrite(int channel, const std::vector<int32_t>& values) {
    Channel(channel);
    if (values.size() != static_cast<size_t>(kLutEntries))
      RaiseBadInput("a LUT has " + std::to_string(kLutEntries) + " entries, not " +
                    std::to_string(values.size()) + "; nothing was sent");
    if (Failure why = CheckDataRange(values.data(), kLutEntries, 0, 4095)) {
      why.text += "; nothing was sent";
      Raise(why);
    }
    LutTable table{};
    std::copy(values.begin(), values.end(), table.begin());
    Run([&] {
      if (WriteLutTable(*cmd_, channel - 1, table, timeoutMs_) != 1) Fail();
    });
  }

  py::dict Info() {
    CameraInfo info;
    Run([&] {
      if (RefreshCameraData(*cmd_, info) < 6) Fail();
    });
    auto trim = [](const std::string& s) {
      return s.substr(std::min(s.find_first_not_of(' '), s.size()));
    };
    py::dict out;
    out["model_name"] = info.modelName;
    out["camera_id"] = info.cameraId;
    out["firmware_version"] = trim(info.firmwareVersion);
    out["fpga2_version"] = trim(info.fpga2Version);
    out["fpga1_version"] = trim(info.fpga1Version);
    out["user_id"] = info.userId;
    return out;
  }

  py::dict Temperature() {
    Readings readings;
    Run([&] {
      TemperatureMonitor monitor(*cmd_, readings);
      monitor.Open();
      monitor.Close();
      if (readings.failure) Fail(readings.failure);
    });
    py::dict out;
    out["sensor1"] = std::stod(readings.sensor1);
    out["sensor2"] = std::stod(readings.sensor2);
    return out;
  }

  // The whole camera into one archive; the members written.
  std::vector<std::string> Backup(const std::string& path, bool factory) {
    BackupOptions options;
    options.factory = factory;
    options.timeoutMs = timeoutMs_;
    options.kestrelVersion = KESTREL_VERSION;
    BackupRun run;
    std::string archive;
    Run([&] {
      const int ok = BackUpCamera(*cmd_, options, archive, run);
      // A whole archive is kept even when the working settings could not be
      // put back afterwards: it holds them.
      std::string why;
      if (!archive.empty() && !WriteFileAtomically(path, archive, &why))
        Fail(Failure(FailureKind::FileError, path + ": " + why + "; the backup was not written"));
      if (!ok) Fail();
    });
    return run.done;
  }

  // A backup checked whole, then written and read back.
  py::dict Restore(const std::string& path, bool otherCamera) {
    std::string archive;
    CheckedBackup backup;
    std::string why = ReadInputFile(path, kMaxTarBytes, archive);
    if (why.empty()) why = CheckBackup(archive, backup);
    if (!why.empty())
      Raise(Failure(FailureKind::FileError, path + ": " + why + "; nothing was sent"));
    BackupOptions options;
    options.otherCamera = otherCamera;
    options.timeoutMs = timeoutMs_;
    BackupRun run;
    Run([&] {
      if (!RestoreCamera(*cmd_, backup, options, run)) Fail();
    });
    py::dict out;
    out["written"] = run.done;
    out["checked"] = run.checked;
    out["skipped"] = run.skipped;
    out["note"] = run.note;
    return out;
  }

 private:
  // A failure inside Run: carried out of the unlocked section and raised there.
  struct Failed {
    Failure failure;
  };
  [[noreturn]] void Fail() { throw Failed{cmd_->LastFailure()}; }
  [[noreturn]] void Fail(const Failure& failure) { throw Failed{failure}; }

  // Runs an exchange with the camera without the interpreter lock, one at a
  // time; a link found lost (a relay restarted, an adapter replugged) is
  // reached anew first.
  template <typename Fn>
  void Run(Fn&& exchange) {
    Failure failure;
    {
      py::gil_scoped_release unlocked;
      std::lock_guard<std::mutex> lock(mutex_);
      try {
        if (!cmd_->LinkOpen() || cmd_->LinkLost()) Reach();
        exchange();
        return;
      } catch (const Failed& f) {
        failure = f.failure;
      }
    }
    if (!failure) failure = Failure(FailureKind::NoAnswer, kNoAnswerText);
    Raise(failure);
  }

  void Reach() {
    cmd_->ClosePort();
    std::string why;
    if (!ReachCamera(*cmd_, Timings(), why))
      Fail(Failure(cmd_->OpenFailure() ? cmd_->OpenFailure().kind
                   : cmd_->LinkLost()  ? FailureKind::Lost
                                       : FailureKind::NoAnswer,
                   why));
  }

  Connection::Timing Timings() const {
    Connection::Timing timing;
    timing.queryMs = timing.setMs = timeoutMs_;
    return timing;
  }
  TransferTiming Transfer() const {
    TransferTiming timing;
    if (settings_.replyTimeoutMs > 0) timing.ackTimeoutMs = timing.replyTimeoutMs = timeoutMs_;
    return timing;
  }

  static CorrectionKind Kind(const std::string& name) {
    CorrectionKind kind{};
    if (!ParseCorrectionKind(name, kind)) {
      std::string names;
      for (int k = 0; k < kCorrectionKindCount; ++k)
        names += std::string(k ? ", " : "") + InfoOf(static_cast<CorrectionKind>(k)).name;
      RaiseBadInput("unknown kind " + name + " (one of " + names + ")");
    }
    return kind;
  }
  static void Sensor(int sensor) {
    if (sensor != 1 && sensor != 2) RaiseBadInput("sensor is 1 or 2");
  }
  static void Channel(int channel) {
    if (channel != 1 && channel != 2) RaiseBadInput("channel is 1 or 2");
  }

  std::string port_;
  int timeoutMs_ = 3000;
  Settings settings_;
  UserInterface ui_;
  std::unique_ptr<CCamCmd> cmd_;
  std::mutex mutex_;
};

}  // namespace
}  // namespace kestrel::python

PYBIND11_MODULE(kestrel, m) {
  using kestrel::python::Camera;
  using kestrel::python::Classes;
  m.doc() =
      "Kestrel: the HX-9302 line-scan camera from Python.\n\n"
      "    with kestrel.Camera('/dev/ttyUSB0') as cam:\n"
      "        cam.set('LR', 1000)\n"
      "        assert cam.query('LR') == 1000\n\n"
      "A port is a device path, 'tcp://HOST:PORT' (a relay at a fixed line speed) or\n"
      "'rfc2217://HOST:PORT' (a relay that passes speed changes on). Every failure\n"
      "raises a kestrel.Error: NoAnswer, Rejected (the camera's line in .reply), Lost,\n"
      "UnreadableReply or BadInput.";
  m.attr("__version__") = KESTREL_VERSION;

  auto& e = Classes();
  e.base = py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
      "kestrel.Error", "A camera operation did not do what was asked.", PyExc_Exception, nullptr));
  auto sub = [&](const char* name, const char* doc) {
    return py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
        (std::string("kestrel.") + name).c_str(), doc, e.base.ptr(), nullptr));
  };
  e.noAnswer = sub("NoAnswer", "The camera did not answer within the time-out.");
  e.rejected = sub("Rejected",
                   "The camera answered with something other than an acknowledgement; its line "
                   "is in .reply.");
  e.lost = sub("Lost",
               "The device or the relay went away, or the port cannot be opened; the next call "
               "reconnects.");
  e.unreadable = sub("UnreadableReply", "A reply that cannot be read as what was asked.");
  e.badInput = sub("BadInput",
                   "A name, a value or a file that is not what it must be; nothing "
                   "was sent.");
  m.attr("Error") = e.base;
  m.attr("NoAnswer") = e.noAnswer;
  m.attr("Rejected") = e.rejected;
  m.attr("Lost") = e.lost;
  m.attr("UnreadableReply") = e.unreadable;
  m.attr("BadInput") = e.badInput;

  py::class_<Camera>(m, "Camera",
                     "One camera on one port, kept open until close() or the end of a with "
                     "block.\n\n"
                     "port: a device path, 'tcp://HOST:PORT' or 'rfc2217://HOST:PORT'.\n"
                     "baud: the camera's speed (9600 ... 115200); it is then neither searched for "
                     "nor moved.\n"
                     "  Without it the speed is found (9600 first) and read_all() moves the "
                     "camera to 115200\n"
                     "  where the link passes speed changes on (never over tcp://).\n"
                     "timeout_ms: how long each reply is waited for (3000 by default).\n"
                     "Raises kestrel.Lost when the port cannot be opened, kestrel.NoAnswer when "
                     "no camera answers.")
      .def(py::init<std::string, std::optional<int>, std::optional<int>>(), py::arg("port"),
           py::arg("baud") = py::none(), py::arg("timeout_ms") = py::none())
      .def("__enter__", [](Camera& c) -> Camera& { return c; })
      .def("__exit__", [](Camera& c, const py::args&) { c.Close(); })
      .def("close", &Camera::Close, "Closes the port; a later call opens it again.")
      .def_property_readonly("port", &Camera::Port, "The port as given.")
      .def_property_readonly("baud", &Camera::Baud, "The speed the link runs at now (bit/s).")
      .def("query", &Camera::Query, py::arg("name"),
           "The camera's value of a command: an int, or a str for text commands.\n"
           "name: 'LR', or 'CABT2?2' for a row of an indexed command.")
      .def("set", &Camera::Set, py::arg("name"), py::arg("value"),
           "Sets a value (int or str) and waits for the camera's acknowledgement.\n"
           "name: 'LR', or 'CABT2?2' for a row of an indexed command.\n"
           "A value outside the panel's range raises BadInput before anything is sent.")
      .def("apply", &Camera::Apply, py::arg("path"),
           "Replays a setting file (.cam) into the camera. A file with a line that cannot be "
           "sent\nraises BadInput and sends nothing.")
      .def("read_all", &Camera::ReadAll, py::arg("factory") = false,
           "Every panel parameter, as the panel reads it at start-up: {mnemonic: value}, "
           "indexed\ncommands as lists. factory=True adds the FACTORY parameters.")
      .def("diff", &Camera::Diff, py::arg("path"),
           "Compares a setting file with the camera: a list of {'name', 'caption', 'file', "
           "'camera'}\nfor every parameter that differs (empty when they agree).")
      .def("correction_read", &Camera::CorrectionRead, py::arg("kind"), py::arg("sensor"),
           "A correction array as a list of int. kind: pixel-black, high-black, pixel-gain, "
           "high-gain,\nshading-offset or shading-slope; sensor: 1 or 2.")
      .def("correction_write", &Camera::CorrectionWrite, py::arg("kind"), py::arg("sensor"),
           py::arg("values"),
           "Sends a whole correction array; its count and range are checked first.")
      .def("lut_read", &Camera::LutRead, py::arg("channel"),
           "The 256 LUT entries of channel 1 or 2.")
      .def("lut_write", &Camera::LutWrite, py::arg("channel"), py::arg("values"),
           "Sends 256 LUT entries (0..4095) to channel 1 or 2.")
      .def("info", &Camera::Info,
           "The camera's information: model_name, camera_id, firmware_version, fpga2_version,\n"
           "fpga1_version, user_id.")
      .def("backup", &Camera::Backup, py::arg("path"), py::arg("factory") = false,
           "Writes the whole camera into one archive (settings, areas, correction arrays, LUTs, "
           "aberration, user ID; factory=True adds the AFE registers and the sensor memory); "
           "returns the members.")
      .def("restore", &Camera::Restore, py::arg("path"), py::arg("other_camera") = false,
           "Checks a backup whole, writes it and reads everything back; per-pixel data go into "
           "a camera of another ID only with other_camera=True. Returns written, checked, "
           "skipped and note.")
      .def("temperature", &Camera::Temperature,
           "Both sensors' temperatures in degrees Celsius: {'sensor1': float, 'sensor2': "
           "float}.");
}
