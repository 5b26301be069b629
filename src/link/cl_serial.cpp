#include "link/cl_serial.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "link/line_speed.h"

namespace kestrel {

namespace {

constexpr const char* kDefaultFolder = "/usr/local/lib/cameralink";
constexpr const char* kMode2Library = "libclserial.so";
constexpr const char* kMode3Library = "libclallserial.so";
constexpr uint32_t kNameBufferSize = 128;

template <typename Fn>
void BindName(void* module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(::dlsym(module, name));
}

// A library loaded only to enumerate: its own reference, so listing never
// disturbs a port of the same library that is open at the time.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(const std::string& path)
      : module_(path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~ScopedLibrary() {
    if (module_) ::dlclose(module_);
  }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;
  void* get() const { return module_; }

 private:
  void* module_;
};

// The text a library wrote into a fixed buffer, never reading past it.
std::string BufferText(const char* buffer, size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

}  // namespace

CClSerial::CClSerial(Settings& settings) : settings_(settings) {}

CClSerial::~CClSerial() {
  for (int mode = 1; mode <= 3; ++mode)
    CloseMode(mode);
}

// ---------------------------------------------------------------- lists

std::string CClSerial::SerialFolder() const {
  if (!folder_.empty()) return folder_;
  const char* env = std::getenv("CLSERIALPATH");
  return env && *env ? std::string(env) : std::string(kDefaultFolder);
}

void CClSerial::SetLibraryFile(int mode, const std::string& file) {
  if (mode >= 1 && mode <= 3) libraryFile_[mode] = file;
}

std::string CClSerial::LibraryPath(int mode) const {
  if (mode == 1) {
    if (selected_.empty()) return {};
    if (selected_.find('/') != std::string::npos) return selected_;
    // A path always holds a '/', so dlopen takes it as it stands and never
    // searches elsewhere for the chosen file.
    return SerialFolder() + "/" + selected_;
  }
  if (!libraryFile_[mode].empty()) return libraryFile_[mode];
  return mode == 2 ? kMode2Library : kMode3Library;
}

void CClSerial::ListLibraries() {
  libraries_.clear();
  const std::string folder = SerialFolder();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (::fnmatch("clser*.so", name, 0) != 0 && ::fnmatch("libclser*.so", name, 0) != 0) continue;
    struct stat st {};
    if (::stat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    libraries_.emplace_back(name);
  }
  ::closedir(dir);
  // The directory order is arbitrary here; a sorted list keeps "DLL No" pointing
  // at the same file from one run to the next.
  std::sort(libraries_.begin(), libraries_.end());
}

void CClSerial::ListManufacturers() {
  ScopedLibrary lib(LibraryPath(2));
  if (!lib.get()) return;  // the list stays as it was
  Mode2 m;
  Bind(lib.get(), m);
  manufacturers_.clear();
  uint32_t count = 0;
  if (!m.clGetNumManufacturers || !m.clGetManufacturer) return;
  m.clGetNumManufacturers(&count);
  for (uint32_t i = 0; i < count; ++i) {
    char name[kNameBufferSize] = {};
    uint32_t size = kNameBufferSize;
    uint32_t value = 0;
    m.clGetManufacturer(i, name, &size, &value);
    manufacturers_.push_back(BufferText(name, sizeof name));
  }
}

void CClSerial::ListPorts() {
  ports_.clear();
  ScopedLibrary lib(LibraryPath(3));
  if (!lib.get()) return;
  Mode3 m;
  if (!Bind(lib.get(), m)) return;
  uint32_t count = 0;
  m.clGetNumPorts(&count);
  for (uint32_t i = 0; i < count; ++i) {
    char manufacturer[kNameBufferSize] = {};
    char port[kNameBufferSize] = {};
    uint32_t manufacturerSize = kNameBufferSize;
    uint32_t portSize = kNameBufferSize;
    uint32_t version = 0;
    m.clGetPortInfo(i, manufacturer, &manufacturerSize, port, &portSize, &version);
    ports_.push_back(BufferText(manufacturer, sizeof manufacturer) + " - " +
                     BufferText(port, sizeof port));
  }
}

const std::vector<std::string>& CClSerial::List(ListKind kind) const {
  switch (kind) {
    case ListKind::Libraries:
      return libraries_;
    case ListKind::Manufacturers:
      return manufacturers_;
    case ListKind::Ports:
      break;
  }
  return ports_;
}

std::string CClSerial::GetEntry(ListKind kind, int index) const {
  const auto& list = List(kind);
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return {};
  return list[static_cast<size_t>(index)];
}

CClSerial::ListKind CClSerial::ListOfMode(int serialMode) {
  switch (ModeOf(serialMode)) {
    case 1:
      return ListKind::Libraries;
    case 2:
      return ListKind::Manufacturers;
    default:
      return ListKind::Ports;
  }
}

int CClSerial::SelectFromSettings() {
  const ListKind kind = ListOfMode(settings_.serialMode);
  switch (kind) {
    case ListKind::Libraries:
      ListLibraries();
      break;
    case ListKind::Manufacturers:
      ListManufacturers();
      break;
    case ListKind::Ports:
      ListPorts();
      break;
  }
  const int size = static_cast<int>(List(kind).size());
  if (settings_.dllNo < 0 || settings_.dllNo >= size) settings_.dllNo = 0;
  selected_ = GetEntry(kind, settings_.dllNo);
  return size;
}

// ---------------------------------------------------------------- loading

bool CClSerial::Bind(void* module, Mode1& m) const {
  BindName(module, "clSerialInit", m.clSerialInit);
  BindName(module, "clSerialClose", m.clSerialClose);
  BindName(module, "clSerialRead", m.clSerialRead);
  BindName(module, "clSerialWrite", m.clSerialWrite);
  return m.clSerialInit && m.clSerialClose && m.clSerialRead && m.clSerialWrite;
}

bool CClSerial::Bind(void* module, Mode2& m) const {
  // Whatever is found: an operation that needs a missing name fails by itself.
  BindName(module, "clGetManufacturer", m.clGetManufacturer);
  BindName(module, "clGetNumManufacturers", m.clGetNumManufacturers);
  BindName(module, "clSelectManufacturer", m.clSelectManufacturer);
  BindName(module, "clGetNumSerialPorts", m.clGetNumSerialPorts);
  BindName(module, "clGetSerialPortIdentifier", m.clGetSerialPortIdentifier);
  BindName(module, "clSerialInit", m.clSerialInit);
  BindName(module, "clSerialClose", m.clSerialClose);
  BindName(module, "clSerialRead", m.clSerialRead);
  BindName(module, "clSerialWrite", m.clSerialWrite);
  BindName(module, "clGetSupportedBaudRates", m.clGetSupportedBaudRates);
  BindName(module, "clSetBaudRate", m.clSetBaudRate);
  BindName(module, "clGetErrorText", m.clGetErrorText);
  return true;
}

bool CClSerial::Bind(void* module, Mode3& m) const {
  // All eleven or the library is unusable, even the ones never called.
  BindName(module, "clSerialInit", m.clSerialInit);
  if (!m.clSerialInit) return false;
  BindName(module, "clSerialClose", m.clSerialClose);
  if (!m.clSerialClose) return false;
  BindName(module, "clSetBaudRate", m.clSetBaudRate);
  if (!m.clSetBaudRate) return false;
  BindName(module, "clSerialRead", m.clSerialRead);
  if (!m.clSerialRead) return false;
  BindName(module, "clSerialWrite", m.clSerialWrite);
  if (!m.clSerialWrite) return false;
  BindName(module, "clFlushPort", m.clFlushPort);
  if (!m.clFlushPort) return false;
  BindName(module, "clGetErrorText", m.clGetErrorText);
  if (!m.clGetErrorText) return false;
  BindName(module, "clGetNumPorts", m.clGetNumPorts);
  if (!m.clGetNumPorts) return false;
  BindName(module, "clGetNumBytesAvail", m.clGetNumBytesAvail);
  if (!m.clGetNumBytesAvail) return false;
  BindName(module, "clGetPortInfo", m.clGetPortInfo);
  if (!m.clGetPortInfo) return false;
  BindName(module, "clGetSupportedBaudRates", m.clGetSupportedBaudRates);
  return m.clGetSupportedBaudRates != nullptr;
}

bool CClSerial::LoadMode(int mode) {
  // A second Open without Close would otherwise leak the earlier module and port.
  CloseMode(mode);
  const std::string path = LibraryPath(mode);
  void* module = path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return false;
  // A library that fails the check stays loaded until Close.
  switch (mode) {
    case 1:
      m1_ = Mode1{};
      m1_.module = module;
      return Bind(module, m1_);
    case 2:
      m2_ = Mode2{};
      m2_.module = module;
      return Bind(module, m2_);
    default:
      m3_ = Mode3{};
      m3_.module = module;
      return Bind(module, m3_);
  }
}

void CClSerial::CloseMode(int mode) {
  auto release = [](auto& m) {
    if (m.ref && m.clSerialClose) m.clSerialClose(m.ref);
    if (m.module) ::dlclose(m.module);
    m = std::remove_reference_t<decltype(m)>{};
  };
  switch (mode) {
    case 1:
      release(m1_);
      break;
    case 2:
      release(m2_);
      break;
    default:
      release(m3_);
      break;
  }
}

// ---------------------------------------------------------------- link

int CClSerial::Open() {
  const int mode = Mode();
  lost_ = 0;
  if (!LoadMode(mode)) return 0;
  SerRef ref = nullptr;
  switch (mode) {
    case 1:
      if (m1_.clSerialInit(0, &ref) != 0) return 0;
      m1_.ref = ref;
      return 1;
    case 2: {
      if (!m2_.clSelectManufacturer || !m2_.clSerialInit) return 0;
      if (m2_.clSelectManufacturer(selected_.c_str()) != 0) return 0;
      const int index = settings_.camLinkSerialIndex;
      if (index < 0) return 0;
      if (m2_.clSerialInit(static_cast<uint32_t>(index), &ref) != 0) return 0;
      m2_.ref = ref;
      return 1;
    }
    default: {
      // A negative "DLL No" would reach the library as a huge unsigned index.
      if (settings_.dllNo < 0) return 0;
      if (m3_.clSerialInit(static_cast<uint32_t>(settings_.dllNo), &ref) != 0) return 0;
      m3_.ref = ref;
      return 1;
    }
  }
}

int CClSerial::SetBaudRateViaLibrary(SerRef ref, FnGetSupportedBaudRates get, FnSetBaudRate set,
                                     int baud) {
  if (!ref) return 0;
  const uint32_t code = CameraLinkCode(baud);
  uint32_t mask = 0;
  // A library without the functions is treated as one that supports nothing.
  if (get && set && code != 0 && get(ref, &mask) == 0 && (mask & code) != 0) {
    set(ref, code);
    return 1;
  }
  if (baud == 9600) return 1;
  speedRefusal_ = "Selected baud rate is not supported in " + selected_ + ".";
  return 0;
}

int CClSerial::SetBaudRate(int baud) {
  speedRefusal_.clear();
  switch (Mode()) {
    case 1:
      // The 2000 interface has no speed control: the line runs at 9600.
      if (baud == 9600) return 1;
      speedRefusal_ = "Selected baud rate is not supported in " + selected_;
      return 0;
    case 2:
      return SetBaudRateViaLibrary(m2_.ref, m2_.clGetSupportedBaudRates, m2_.clSetBaudRate, baud);
    default:
      return SetBaudRateViaLibrary(m3_.ref, m3_.clGetSupportedBaudRates, m3_.clSetBaudRate, baud);
  }
}

bool CClSerial::IsOpen() const {
  switch (Mode()) {
    case 1:
      return m1_.ref != nullptr;
    case 2:
      return m2_.ref != nullptr;
    default:
      return m3_.ref != nullptr;
  }
}

int CClSerial::Write(const uint8_t* bytes, int count, int timeoutMs) {
  SerRef ref = nullptr;
  FnSerialWrite write = nullptr;
  switch (Mode()) {
    case 1:
      ref = m1_.ref, write = m1_.clSerialWrite;
      break;
    case 2:
      ref = m2_.ref, write = m2_.clSerialWrite;
      break;
    default:
      ref = m3_.ref, write = m3_.clSerialWrite;
      break;
  }
  if (!ref || !write || count < 0) return 0;
  // The interface takes a writable buffer; hand it a copy of ours.
  std::vector<char> copy(bytes, bytes + count);
  uint32_t size = static_cast<uint32_t>(count);
  const int32_t result =
      write(ref, copy.data(), &size, static_cast<uint32_t>(std::max(timeoutMs, 0)));
  if (result != 0 && result != kErrTimeout) lost_ = result;
  return result == 0 ? 1 : 0;
}

int CClSerial::Read(uint8_t* buffer, int count, int timeoutMs) {
  SerRef ref = nullptr;
  FnSerialRead read = nullptr;
  switch (Mode()) {
    case 1:
      ref = m1_.ref, read = m1_.clSerialRead;
      break;
    case 2:
      ref = m2_.ref, read = m2_.clSerialRead;
      break;
    default:
      ref = m3_.ref, read = m3_.clSerialRead;
      break;
  }
  if (!ref || !read || count <= 0) return 0;
  uint32_t size = static_cast<uint32_t>(count);
  const int32_t result = read(ref, reinterpret_cast<char*>(buffer), &size,
                              static_cast<uint32_t>(std::max(timeoutMs, 0)));
  if (result != 0) {
    // A time-out is nothing read; any other error means the port is gone.
    if (result != kErrTimeout) lost_ = result;
    return 0;
  }
  // Never report more than the buffer holds, whatever the library says.
  return static_cast<int>(std::min<uint32_t>(size, static_cast<uint32_t>(count)));
}

int CClSerial::Close() {
  CloseMode(Mode());
  return 1;
}

}  // namespace kestrel
