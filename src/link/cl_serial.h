#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/settings.h"
#include "link/camera_link_adapter.h"

namespace kestrel {

// The Camera Link serial adapter: loads a frame-grabber vendor's serial library
// at run time (dlopen), binds its functions by name and offers the link
// operations on top of it. Three library kinds exist, chosen by "Serial Mode":
//   1  a "clser*.so" / "libclser*.so" file in the Camera Link serial folder
//   2  "libclserial.so" with a manufacturer to select
//   3  "libclallserial.so" with a port to choose (any mode but 1 and 2 acts as 3)
// "Serial Mode", "DLL No" and "CamLink Serial Index" are read at every call; the
// selected entry text (the list entry at "DLL No") is held here.
class CClSerial : public CameraLinkAdapter {
 public:
  enum class ListKind { Libraries, Manufacturers, Ports };

  // The Camera Link serial interface as the libraries export it.
  using SerRef = void*;
  using FnSerialInit = int32_t (*)(uint32_t, SerRef*);
  using FnSerialClose = void (*)(SerRef);
  using FnSerialRead = int32_t (*)(SerRef, char*, uint32_t*, uint32_t);
  using FnSerialWrite = int32_t (*)(SerRef, char*, uint32_t*, uint32_t);
  using FnGetSupportedBaudRates = int32_t (*)(SerRef, uint32_t*);
  using FnSetBaudRate = int32_t (*)(SerRef, uint32_t);
  using FnGetManufacturer = int32_t (*)(uint32_t, char*, uint32_t*, uint32_t*);
  using FnGetNumManufacturers = int32_t (*)(uint32_t*);
  using FnSelectManufacturer = int32_t (*)(const char*);
  using FnGetNumPorts = int32_t (*)(uint32_t*);
  using FnGetPortInfo = int32_t (*)(uint32_t, char*, uint32_t*, char*, uint32_t*, uint32_t*);
  using FnAny = void (*)();

  explicit CClSerial(Settings& settings);
  ~CClSerial() override;
  CClSerial(const CClSerial&) = delete;
  CClSerial& operator=(const CClSerial&) = delete;

  // Enumeration for the communication dialog and kestrelctl.
  void ListLibraries();
  void ListManufacturers();
  void ListPorts();
  const std::vector<std::string>& List(ListKind kind) const;
  // The entry text, or "" when the index is outside the list.
  std::string GetEntry(ListKind kind, int index) const;
  // The list the given "Serial Mode" chooses from.
  static ListKind ListOfMode(int serialMode);

  // The entry the communication dialog selected: the library file name (mode 1;
  // a text holding '/' is taken as a path), the manufacturer (mode 2), the port
  // text (mode 3). Every mode names it in the baud-rate message.
  void SetSelectedEntry(const std::string& text) { selected_ = text; }
  const std::string& SelectedEntry() const { return selected_; }

  // Fills the current mode's list and selects the entry at "DLL No"; when that
  // is outside the list the first entry is taken and "DLL No" becomes 0.
  // Returns the number of entries.
  int SelectFromSettings();

  // Where to find the libraries. Mode 1 searches the folder ($CLSERIALPATH, else
  // /usr/local/lib/cameralink); modes 2 and 3 load by the normal library search
  // unless a file is given here (kestrelctl --cl-library, tests).
  void SetSerialFolder(const std::string& folder) { folder_ = folder; }
  std::string SerialFolder() const;
  void SetLibraryFile(int mode, const std::string& file);

  int Open() override;
  int SetBaudRate(int baud) override;
  std::string SpeedRefusal() const override { return speedRefusal_; }
  int Write(const uint8_t* bytes, int count, int timeoutMs) override;
  int Read(uint8_t* buffer, int count, int timeoutMs) override;
  int Close() override;
  bool Lost() const override { return lost_ != 0; }
  int LostCode() const override { return lost_; }

  // True when the current mode has an open port.
  bool IsOpen() const;
  // The Camera Link serial interface's result of a read or write that timed out.
  static constexpr int32_t kErrTimeout = -10004;
  // 1, 2 or 3: the library kind a "Serial Mode" value selects.
  static int ModeOf(int serialMode) { return serialMode == 1 || serialMode == 2 ? serialMode : 3; }

 private:
  struct Mode1 {
    void* module = nullptr;
    SerRef ref = nullptr;
    FnSerialInit clSerialInit = nullptr;
    FnSerialClose clSerialClose = nullptr;
    FnSerialRead clSerialRead = nullptr;
    FnSerialWrite clSerialWrite = nullptr;
  };
  struct Mode2 {
    void* module = nullptr;
    SerRef ref = nullptr;
    FnGetManufacturer clGetManufacturer = nullptr;
    FnGetNumManufacturers clGetNumManufacturers = nullptr;
    FnSelectManufacturer clSelectManufacturer = nullptr;
    FnAny clGetNumSerialPorts = nullptr;
    FnAny clGetSerialPortIdentifier = nullptr;
    FnSerialInit clSerialInit = nullptr;
    FnSerialClose clSerialClose = nullptr;
    FnSerialRead clSerialRead = nullptr;
    FnSerialWrite clSerialWrite = nullptr;
    FnGetSupportedBaudRates clGetSupportedBaudRates = nullptr;
    FnSetBaudRate clSetBaudRate = nullptr;
    FnAny clGetErrorText = nullptr;
  };
  struct Mode3 {
    void* module = nullptr;
    SerRef ref = nullptr;
    FnSerialInit clSerialInit = nullptr;
    FnSerialClose clSerialClose = nullptr;
    FnSetBaudRate clSetBaudRate = nullptr;
    FnSerialRead clSerialRead = nullptr;
    FnSerialWrite clSerialWrite = nullptr;
    FnAny clFlushPort = nullptr;
    FnAny clGetErrorText = nullptr;
    FnGetNumPorts clGetNumPorts = nullptr;
    FnAny clGetNumBytesAvail = nullptr;
    FnGetPortInfo clGetPortInfo = nullptr;
    FnGetSupportedBaudRates clGetSupportedBaudRates = nullptr;
  };

  int Mode() const { return ModeOf(settings_.serialMode); }
  std::string LibraryPath(int mode) const;
  // Binds the mode's names into m; true when the mode's check passes.
  bool Bind(void* module, Mode1& m) const;
  bool Bind(void* module, Mode2& m) const;
  bool Bind(void* module, Mode3& m) const;
  bool LoadMode(int mode);
  void CloseMode(int mode);
  int SetBaudRateViaLibrary(SerRef ref, FnGetSupportedBaudRates get, FnSetBaudRate set, int baud);

  Settings& settings_;
  std::string speedRefusal_;
  std::string selected_;
  int32_t lost_ = 0;  // the error code that ended the port, 0 while it works
  std::string folder_;
  std::string libraryFile_[4];  // by mode; "" = default name

  std::vector<std::string> libraries_;
  Mode1 m1_;
  std::vector<std::string> manufacturers_;
  Mode2 m2_;
  std::vector<std::string> ports_;
  Mode3 m3_;
};

}  // namespace kestrel
