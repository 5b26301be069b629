// kestrelctl's command line: the options, the command registry and the
// terminal user interface the commands report through.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "base/text_file.h"
#include "ctl.h"
#include "panel/connection.h"
#include "panel/tool_session.h"
#include "settings/settings_store.h"

namespace kestrel::ctl {

namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: kestrelctl [--port DEV] [--baud BPS] [--timeout MS] [--listen MS] "
               "[--verbose]\n                  [--cl-mode 1|2|3 [--cl-port N] [--cl-library FILE] "
               "[--cl-manufacturer NAME]]\n                  [--json] [-q|--quiet] COMMAND ...\n"
               "       kestrelctl -h|--help | -V|--version | help COMMAND\n\ncommands:\n");
  for (const Command& c : Registry())
    std::fprintf(out, "  %s\n", c.usage);
  std::fprintf(out,
               "\n--port defaults to the port the panel's settings name; tcp://HOST:PORT and\n"
               "rfc2217://HOST:PORT reach a relay such as ser2net. The camera's speed is "
               "found\n(the speed last in use first) and remembered; --baud forces one.\n--cl-mode "
               "reaches the camera through a Camera Link serial library: 1 a "
               "clser*.so in\n$CLSERIALPATH, 2 libclserial.so, 3 libclallserial.so; --cl-port is "
               "the serial index\n(mode 2) or the port (mode 3); --cl-library names the library "
               "file to load.\n--json prints one JSON document on stdout, {\"error\": \"...\"} "
               "on failure;\n-q leaves out progress and notes, failures are still printed.\n"
               "Options may stand after the command too, --NAME=VALUE or --NAME VALUE; -- ends\n"
               "them. Where a file is named, - is standard input or output.\n"
               "Exit status: 0 done, 1 the camera or the port failed, 2 usage error,\n"
               "3 diff: the two sides differ, 128+N stopped by signal N.\n");
}

// Every failure printed so far, for the error document of --json.
std::vector<std::string>& Failures() {
  static std::vector<std::string> failures;
  return failures;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Registry())
    if (name == c.name) return &c;
  return nullptr;
}

int Help(const std::vector<std::string>& args) {
  if (args.empty()) {
    Usage(stdout);
    return kOk;
  }
  const Command* c = args.size() == 1 ? FindCommand(args[0]) : nullptr;
  if (!c) {
    PrintError("help takes one command name; kestrelctl --help lists them");
    return kUsage;
  }
  std::printf("usage: kestrelctl [options] %s\n", c->usage);
  if (c->output == Output::Json) std::printf("\nWith --json it prints one JSON document.\n");
  std::printf("\nSee kestrelctl(1) for the details.\n");
  return kOk;
}

}  // namespace

Registrar::Registrar(std::initializer_list<Command> commands) {
  for (const Command& c : commands)
    Registry().push_back(c);
}

const std::vector<Command>& Commands() {
  return Registry();
}

void PrintError(const std::string& text) {
  Failures().push_back(text);
  std::cerr << "kestrelctl: " << text << std::endl;
}

namespace {
bool jsonPrinted = false;
}  // namespace

void PrintJson(const JsonWriter& document) {
  std::cout << document.Text() << std::endl;
  jsonPrinted = true;
}

void WriteValue(JsonWriter& w, const CommandEntry& row, const ParamValue& value) {
  switch (row.valueType) {
    case kTypeText:
      w.String(value.textValue);
      break;
    default:
      w.Int(value.intValue);
  }
}

bool ParseIntArg(const std::string& text, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

int Failed(const Failure& failure) {
  PrintError(failure.text.empty() ? std::string("failed") : failure.text);
  return kFailed;
}

int Outcome(Context& ctx, bool ok) {
  if (ok) return kOk;
  if (!ctx.cmd) return Failed({});
  const Failure& failure = ctx.cmd->LastFailure();
  // On a terminal the command that went unanswered says more than the
  // panel's advice to check the cable.
  if (failure.kind == FailureKind::NoAnswer && failure.text == kNoAnswerText)
    return Failed({failure.kind, NoAnswerFor(ctx)});
  return Failed(failure);
}

std::string NoAnswerFor(const Context& ctx) {
  return "No answer from Camera! (Timeout error) for " + ctx.cmd->LastCommand();
}

MsgAnswer TerminalUi::Report(const std::string& text, MsgIcon icon, MsgButtons buttons,
                             const std::string&) {
  if (open_ && tty_) std::fputs("\r\033[K", stderr);
  if (icon != MsgIcon::Information)
    PrintError(text);
  else if (!quiet)
    std::cerr << "kestrelctl: " << text << std::endl;
  if (open_) Draw();
  // Nobody answers questions here: the command line already said what to do.
  return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                            : MsgAnswer::Ok;
}

void TerminalUi::AppendLog(const std::string& line) {
  if (verbose) std::cerr << Printable(line) << '\n';
}

void TerminalUi::ShowProgress() {
  tty_ = !quiet && ::isatty(STDERR_FILENO) == 1;
  open_ = true;
  percent_ = 0;
  Draw();
}

void TerminalUi::SetProgressMessage(const std::string& text) {
  text_ = text;
  Draw();
}

void TerminalUi::SetProgressPercent(int percent) {
  percent_ = percent;
  Draw();
}

void TerminalUi::CloseProgress() {
  if (open_ && tty_) std::fputs("\r\033[K", stderr);
  open_ = false;
}

void TerminalUi::Draw() {
  if (!open_ || !tty_) return;  // nothing on a pipe
  const int width = 30;
  const int filled = std::clamp(percent_, 0, 100) * width / 100;
  std::string line = text_.substr(0, text_.find('\n'));
  std::fprintf(stderr, "\r\033[K[%s%s] %3d%% %s", std::string(filled, '#').c_str(),
               std::string(width - filled, '.').c_str(), percent_, line.c_str());
  std::fflush(stderr);
}

CheckedStdout::CheckedStdout() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
  // printf output (help, params) stays in one buffer until Finish, so its
  // write fails there with the system's reason.
  static char stdioBuffer[1 << 16];
  std::setvbuf(stdout, stdioBuffer, _IOFBF, sizeof stdioBuffer);
  setp(buffer_, buffer_ + sizeof buffer_);
  previous_ = std::cout.rdbuf(this);
}

CheckedStdout::~CheckedStdout() {
  std::cout.rdbuf(previous_);
}

bool CheckedStdout::Drain() {
  const char* from = pbase();
  while (from < pptr() && error_ == 0) {
    const ssize_t n = ::write(STDOUT_FILENO, from, static_cast<size_t>(pptr() - from));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error_ = n == 0 ? ENOSPC : errno;
    if (n > 0) from += n;
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return error_ == 0;
}

int CheckedStdout::overflow(int ch) {
  if (!Drain()) return traits_type::eof();
  if (ch != traits_type::eof()) sputc(static_cast<char>(ch));
  return traits_type::not_eof(ch);
}

int CheckedStdout::sync() {
  return Drain() ? 0 : -1;
}

int CheckedStdout::Finish(int status) {
  Drain();
  if (std::fflush(stdout) != 0 && error_ == 0) error_ = errno;
  if (error_ == 0) return status;
  PrintError(std::string("cannot write to standard output: ") + std::strerror(error_));
  return status == kOk || status == kDiffer ? kFailed : status;
}

namespace {
volatile std::sig_atomic_t stopSignal = 0;
void OnStopSignal(int signal) {
  stopSignal = signal;
}
}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    ::sigaction(signal, &action, nullptr);
}

int StopSignal() {
  return stopSignal;
}

bool StoppedAt(int done, int total, const char* step) {
  if (!stopSignal) return false;
  PrintError(std::string("Stopped at ") + step + " " + std::to_string(done) + " of " +
             std::to_string(total) + "; the rest was not sent.");
  return true;
}

bool TerminalUi::CancelRequested() {
  return stopSignal != 0;
}

bool Context::Prepare() {
  ++linksPrepared;
  cameraLink = std::make_unique<CClSerial>(settings);
  cmd = std::make_unique<CCamCmd>(settings, ui);
  cmd->SetCameraLink(cameraLink.get());
  if (!portOverride.empty()) {
    settings.serialMode = 0;
    settings.commDevice = portOverride;
  }
  if (clMode != 0) settings.serialMode = clMode;
  settings.speedGiven = baudForced;
  return settings.serialMode == 0 || PrepareCameraLink();
}

bool Context::Connect() {
  if (!Prepare()) return false;
  Connection::Timing timing;
  timing.queryMs = timing.setMs = timeoutMs;
  std::string failure;
  if (!ReachCamera(*cmd, timing, failure)) {
    PrintError(failure);
    return false;
  }
  if (!baudForced) RememberBaud();
  return true;
}

void Context::RememberBaud() {
  if (settings.baudRate == storedBaudRate) return;
  SettingsStore store;
  store.SetInt("Baud Rate", settings.baudRate);
  if (store.Sync()) storedBaudRate = settings.baudRate;
}

}  // namespace kestrel::ctl

namespace kestrel::ctl {
namespace {

// The options of kestrelctl itself, as getopt_long takes them: anywhere on
// the line, before or after the command; "--name=value" or "--name value";
// short flags alone or clustered ("-qV"); "--" ends the options and "-" is an
// operand (standard input or output where a file is named). Options kestrelctl
// does not know belong to the command ("read-all -o FILE --factory") and reach
// it in the order given, "--name=value" as two words and "-oFILE" as "-o FILE".
struct OptionSpec {
  const char* name;  // without the leading "--"
  char letter;       // short form, or 0
  bool takesValue;
};
constexpr OptionSpec kOptions[] = {
    {"help", 'h', false},
    {"version", 'V', false},
    {"json", 0, false},
    {"quiet", 'q', false},
    {"verbose", 0, false},
    {"port", 0, true},
    {"baud", 0, true},
    {"timeout", 0, true},
    {"listen", 0, true},
    {"cl-mode", 0, true},
    {"cl-port", 0, true},
    {"cl-library", 0, true},
    {"cl-manufacturer", 0, true},
};

const OptionSpec* FindOption(const std::string& name, char letter) {
  for (const OptionSpec& o : kOptions)
    if (letter ? o.letter == letter : name == o.name) return &o;
  return nullptr;
}

// One option with its value (empty for a flag): kOk, or kUsage after saying why.
int ApplyOption(Context& ctx, const std::string& a, const std::string& v, bool& help,
                bool& version) {
  int n = 0;
  if (a == "--help") {
    help = true;
  } else if (a == "--version") {
    version = true;
  } else if (a == "--json") {
    ctx.json = true;
  } else if (a == "--quiet") {
    ctx.ui.quiet = true;
  } else if (a == "--verbose") {
    ctx.ui.verbose = true;
  } else if (a == "--port") {
    ctx.portOverride = v;
  } else if (a == "--baud") {
    if (!ParseIntArg(v, n) || IndexOfBaud(n) < 0) {
      PrintError("--baud takes " + CameraBaudList(" or "));
      return kUsage;
    }
    ctx.settings.baudRate = IndexOfBaud(n);
    ctx.baudForced = true;
  } else if (a == "--cl-mode") {
    if (!ParseIntArg(v, n) || n < 1 || n > 3) {
      PrintError("--cl-mode takes 1, 2 or 3");
      return kUsage;
    }
    ctx.clMode = n;
  } else if (a == "--cl-port") {
    if (!ParseIntArg(v, n) || n < 0) {
      PrintError("--cl-port takes a port index from 0");
      return kUsage;
    }
    ctx.clPort = n;
  } else if (a == "--cl-library") {
    ctx.clLibrary = v;
  } else if (a == "--cl-manufacturer") {
    ctx.clManufacturer = v;
  } else if (a == "--timeout" || a == "--listen") {
    if (!ParseIntArg(v, n) || n < 0) {
      PrintError(a + " takes milliseconds");
      return kUsage;
    }
    (a == "--timeout" ? ctx.timeoutMs : ctx.listenMs) = n;
    // Every operation's replies wait this long, its own time-outs aside.
    if (a == "--timeout") ctx.settings.replyTimeoutMs = n;
  }
  return kOk;
}

// Sorts the line into kestrelctl's options (applied to ctx), the operands
// and the command's own options (into `words`, in order). kOk, or kUsage.
int ParseOptions(Context& ctx, const std::vector<std::string>& args,
                 std::vector<std::string>& words, bool& help, bool& version) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      words.insert(words.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (a.size() < 2 || a[0] != '-') {
      words.push_back(a);
      continue;
    }
    // The option, its value where written into the same word, and its spec.
    std::string name, value;
    bool hasValue = false;
    const OptionSpec* spec = nullptr;
    if (a[1] == '-') {
      const size_t eq = a.find('=');
      name = a.substr(0, eq);
      hasValue = eq != std::string::npos;
      if (hasValue) value = a.substr(eq + 1);
      spec = FindOption(name.substr(2), 0);
    } else {
      // A cluster of flags; a letter of the command's ends it, the rest of
      // the word being that option's value.
      size_t k = 1;
      for (; k < a.size() && (spec = FindOption({}, a[k])) && !spec->takesValue; ++k) {
        if (int status = ApplyOption(ctx, std::string("--") + spec->name, {}, help, version))
          return status;
      }
      if (k == a.size()) continue;
      name = std::string("-") + a[k];
      hasValue = k + 1 < a.size();
      if (hasValue) value = a.substr(k + 1);
    }
    if (!spec) {  // the command's
      words.push_back(name);
      if (hasValue) words.push_back(value);
      continue;
    }
    if (spec->takesValue && !hasValue) {
      if (i + 1 >= args.size()) {
        PrintError(name + " needs a value");
        return kUsage;
      }
      value = args[++i];
    } else if (!spec->takesValue && hasValue) {
      PrintError(name + " takes no value");
      return kUsage;
    }
    if (int status = ApplyOption(ctx, name, value, help, version)) return status;
  }
  return kOk;
}

// The options, then the command. `command` is set once it is known.
int Run(Context& ctx, const std::vector<std::string>& args, const Command*& command) {
  std::vector<std::string> words;
  bool help = false, version = false;
  if (int status = ParseOptions(ctx, args, words, help, version)) return status;
  // "-" is standard input or output wherever a file is named; under --json
  // standard output carries the document only.
  SetDashIsStdio(true, ctx.json);
  // The command is the first operand that names one (a value of a command's
  // option may stand before it), else the first operand; options of the
  // command's own before it wait for it.
  const auto operand = [](const std::string& w) { return w.size() < 2 || w[0] != '-'; };
  auto named = std::find_if(words.begin(), words.end(), [&](const std::string& w) {
    return operand(w) && (w == "help" || FindCommand(w));
  });
  if (named == words.end()) named = std::find_if(words.begin(), words.end(), operand);
  if (version) {
    std::printf("kestrelctl %s\n", KESTREL_VERSION);
    return kOk;
  }
  if (help && (named == words.end() || *named == "help" || !FindCommand(*named))) {
    Usage(stdout);
    return kOk;
  }
  if (ctx.clMode != 0 && !ctx.portOverride.empty()) {
    PrintError("--port and --cl-mode name two different links; give one");
    return kUsage;
  }
  if (named == words.end()) {
    PrintError(words.empty() ? "no command given" : "unknown option " + words.front());
    Usage(stderr);
    return kUsage;
  }
  const std::string name = *named;
  std::vector<std::string> rest(words.begin(), named);
  rest.insert(rest.end(), named + 1, words.end());
  if (help) return Help({name});
  if (name == "help") return Help(rest);
  command = FindCommand(name);
  if (!command) {
    PrintError("unknown command " + name);
    Usage(stderr);
    return kUsage;
  }
  if (ctx.json && command->output == Output::Text) {
    PrintError(name + " prints text only; it has no --json output");
    return kUsage;
  }
  return command->run(ctx, rest);
}

}  // namespace

int RunCommandLine(Context& ctx, const std::vector<std::string>& args) {
  jsonPrinted = false;
  Failures().clear();
  const Command* command = nullptr;
  int status = Run(ctx, args, command);
  if (const int signal = StopSignal()) {
    if (Failures().empty()) PrintError(std::string("stopped by SIG") + ::sigabbrev_np(signal));
    status = 128 + signal;
  }
  if (!ctx.json) return status;
  if (status != kOk && status != kDiffer && !jsonPrinted) {  // failures and signals
    std::string text;
    for (const std::string& failure : Failures())
      text += (text.empty() ? "" : "\n") + failure;
    if (text.empty()) text = std::string(command ? command->name : "kestrelctl") + " failed";
    std::cout << JsonError(text) << std::endl;
  } else if (!jsonPrinted && command && command->output == Output::None) {
    std::cout << "{}" << std::endl;
  }
  return status;
}

}  // namespace kestrel::ctl
