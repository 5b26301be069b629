#pragma once

#include <map>
#include <string>
#include <vector>

namespace kestrel {

enum OperatingMode : int { kModeUser = 1, kModeFactory = 2 };

// The process-wide configuration variables, read at every use. The settings
// store of the application loads them at start and writes them at exit; the
// core only reads and changes the variables.
struct Settings {
  int serialMode = 0;  // 0 COM port, 1..3 Camera Link library kinds (others act as 3)
  std::string activeMode = "USER";
  int offline = 0;     // loaded, never saved
  int simulation = 0;  // loaded, never saved
  std::string dataPath;
  std::string cameraId;
  int commPort = 0;  // 0 is "COM1"
  int dllNo = 0;
  int camLinkSerialIndex = 0;
  int baudRate = 0;  // index into 9600, 19200, 38400, 57600, 115200
  std::string cmd;
  std::string wrtMemAddr;
  std::string wrtMemData;
  std::string dumpMemAddr;
  std::string dumpMemSize;
  std::string dumpFile;
  int normalShutdown = 0;

  // A device path chosen instead of "Comm Port" (a USB adapter, a pseudo-terminal);
  // empty means the COM port numbered by commPort.
  std::string commDevice;

  // Where the panel and each tool window were last, by window name:
  // "x,y,width,height" (the frame's corner and the content's size).
  std::map<std::string, std::string> windowGeometry;

  // The setting files opened or saved last, the newest first.
  std::vector<std::string> recentFiles;

  // Derived from activeMode at load, switched at run time.
  int operatingMode = kModeUser;

  // The relay last chosen in the communication dialog ("tcp://HOST:PORT" or
  // "rfc2217://HOST:PORT"), kept while a local port is in use.
  std::string networkPort;
  // "Keep Camera Speed": the camera stays at the speed it is found at; Kestrel
  // never moves it to 115200 bit/s.
  int keepCameraSpeed = 0;
  // The speed was given for this run (kestrelctl --baud, the Python module's
  // baud=): it is the camera's, neither searched for nor moved (never saved).
  bool speedGiven = false;

  // kestrelctl's --timeout: when above 0 it replaces the reply time-out of
  // every service operation (never saved).
  int replyTimeoutMs = 0;
};

// The time-out a service operation waits for a reply: its own, or the one
// the command line gave.
inline int ReplyTimeout(const Settings& settings, int ownMs) {
  return settings.replyTimeoutMs > 0 ? settings.replyTimeoutMs : ownMs;
}

// The camera's speeds, in the order of the baud index.
inline constexpr int kCameraBauds[] = {9600, 19200, 38400, 57600, 115200};
// "9600, 19200, 38400, 57600<last>115200": the speeds as help texts list them.
std::string CameraBaudList(const std::string& last);

// Bit rate of a baud index; any index outside 0..4 gives 9600.
int BaudOfIndex(int index);
// Index of a bit rate, or -1 when it is not one of the five.
int IndexOfBaud(int baud);

}  // namespace kestrel
