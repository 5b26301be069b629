// The persisted settings: what a first run, hand-edited files and damaged
// files give, and what a run may and may not write back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "app/kestrel_app.h"
#include "settings/settings_store.h"

namespace kestrel {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.filePath("kestrel.ini").toStdString(); }
  void WriteFile(const QByteArray& text) {
    QFile f(QString::fromStdString(Path()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  }
  QVariant Raw(const char* name) {
    QSettings qs(QString::fromStdString(Path()), QSettings::IniFormat);
    return qs.value(name);
  }
  bool Has(const char* name) {
    QSettings qs(QString::fromStdString(Path()), QSettings::IniFormat);
    return qs.contains(name);
  }

  QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, FirstRunGivesDefaultsAndWritesTheFourteenValues) {
  Settings s;
  s.baudRate = 3;  // whatever the variables held before, loading replaces them
  {
    SettingsStore store(Path());
    store.Load(s);
  }
  EXPECT_EQ(s.baudRate, 0);
  EXPECT_EQ(s.dataPath, QDir::currentPath().toStdString());
  EXPECT_EQ(s.dumpFile, QDir::currentPath().toStdString());

  {
    SettingsStore store(Path());
    ASSERT_TRUE(store.Save(s));
  }
  for (const char* name : {"Serial Mode", "DataPath", "Camera Id", "Active Mode", "Comm Port",
                           "DLL No", "CamLink Serial Index", "Baud Rate", "Cmd", "Wrt Mem Addr",
                           "Wrt Mem Data", "Dump Mem Addr", "Dump Mem Size", "Dump File"})
    EXPECT_TRUE(Has(name)) << name;
  EXPECT_FALSE(Has("OFFLINE"));
  EXPECT_FALSE(Has("SIMULATION"));
  EXPECT_EQ(Raw("Active Mode").toString(), "USER");
}

TEST_F(SettingsStoreTest, HandEditedValuesAreReadAsTheRegistryWould) {
  const QString gone = dir_.filePath("deleted-folder");
  WriteFile(
      "[General]\n"
      "Active%20Mode=factory\n"
      "Baud%20Rate=3\n"
      "Comm%20Port=\" 2 ports\"\n"
      "DLL%20No=-1x\n"
      "CamLink%20Serial%20Index=seven\n"
      "OFFLINE=1\n"
      "SIMULATION=1\n"
      "DataPath=" +
      gone.toUtf8() + "\nDump%20File=" + dir_.path().toUtf8() + "\n");
  Settings s;
  SettingsStore(Path()).Load(s);
  EXPECT_EQ(s.operatingMode, kModeFactory);
  EXPECT_EQ(s.baudRate, 3);            // an integer stored as text
  EXPECT_EQ(s.commPort, 2);            // leading number after white space
  EXPECT_EQ(s.dllNo, -1);              // sign and digits, then junk
  EXPECT_EQ(s.camLinkSerialIndex, 0);  // no digits at all
  EXPECT_EQ(s.offline, 1);
  EXPECT_EQ(s.simulation, 1);
  EXPECT_EQ(s.dataPath, QDir::currentPath().toStdString());  // vanished folder
  EXPECT_EQ(s.dumpFile, dir_.path().toStdString());          // existing folder stays

  ASSERT_TRUE(SettingsStore(Path()).Save(s));
  EXPECT_EQ(Raw("Active Mode").toString(), "FACTORY");
  EXPECT_EQ(Raw("DataPath").toString(), QDir::currentPath());
  // Never written, so a hand-set OFFLINE survives any number of runs.
  EXPECT_EQ(Raw("OFFLINE").toString(), "1");
  EXPECT_EQ(Raw("SIMULATION").toString(), "1");
}

TEST_F(SettingsStoreTest, DamagedFileIsKeptByteForByteAndReportedOnce) {
  const QByteArray damaged = QByteArray("\x00\xff\xfe[General\n=\n==\nBaud%20Rate=a,b,c\n", 34) +
                             "Serial%20Mode=@Variant(\\0\\0\\0\\x7f\\0\\0)\n[[x]]\nComm%20Port\n" +
                             "Camera%20Id=K-17\n" + QByteArray(1 << 20, 'z');
  WriteFile(damaged);
  Settings s;
  std::string report;
  {
    SettingsStore store(Path());
    report = store.DamageReport();
    store.Load(s);
    // Whatever writes next (the start-up guard, say) cannot touch the copy.
    store.SetInt("Normal Shutdown", 0);
    EXPECT_TRUE(store.Sync());
  }
  EXPECT_EQ(report, Path() + "\nThe settings file could not be read; the settings were reset.\n" +
                        "The damaged file is kept as " + Path() + ".damaged");
  EXPECT_EQ(s.baudRate, 0);  // a list is the wrong type: the default
  QFile kept(QString::fromStdString(Path()) + ".damaged");
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_TRUE(kept.readAll() == damaged);

  // The file is sound again: the next run says nothing and saves normally.
  SettingsStore again(Path());
  EXPECT_EQ(again.DamageReport(), "");
  s.baudRate = 4;
  ASSERT_TRUE(again.Save(s));
  Settings back;
  SettingsStore(Path()).Load(back);
  EXPECT_EQ(back.baudRate, 4);
}

// What a single run asked for on the command line is not configuration.
TEST_F(SettingsStoreTest, RunOnlyOptionsAreNotSaved) {
  WriteFile("[General]\nComm%20Port=4\nActive%20Mode=USER\nBaud%20Rate=4\n");
  CKestrelApp::Options options;
  options.configPath = Path();
  options.port = "/dev/pts/99";
  options.factory = true;
  {
    CKestrelApp app;
    app.LoadSettings(options);
    EXPECT_EQ(app.Config().commDevice, "/dev/pts/99");
    EXPECT_EQ(app.Config().operatingMode, kModeFactory);
    app.Config().baudRate = 0;  // the negotiation's result is saved
    ASSERT_TRUE(app.SaveSettings());
  }
  EXPECT_EQ(Raw("Comm Port").toInt(), 4);
  EXPECT_FALSE(Has("Comm Device"));
  EXPECT_EQ(Raw("Active Mode").toString(), "USER");
  EXPECT_EQ(Raw("Baud Rate").toInt(), 0);

  {
    // A mode switched by hand during a --factory run is the user's choice.
    CKestrelApp app;
    app.LoadSettings(options);
    app.Config().operatingMode = kModeUser;
    ASSERT_TRUE(app.SaveSettings());
  }
  EXPECT_EQ(Raw("Active Mode").toString(), "USER");
}

}  // namespace
}  // namespace kestrel
