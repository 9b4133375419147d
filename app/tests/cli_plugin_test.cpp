// The sound and serial code lives in the device plugin: pealix-cli and the window program
// link none of its libraries, the commands that need it load it, and without it they say
// why while the conversions go on working.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString kBin = QStringLiteral(PEALIX_BIN_DIR);

// Libraries of sound, MIDI and serial lines, and what they bring along.
const char* const kDeviceLibraries[] = {
    "libfluidsynth", "librtmidi",  "libasound", "libpulse",     "libjack",
    "libpipewire",   "libsndfile", "libSDL2",   "libportaudio", "libQt6SerialPort",
    "libavformat",   "libavcodec", "libebur128"};

struct CliResult {
  int exitCode = -1;
  QString output;
  QString errors;
};

// Runs a program with a settings folder of its own.
CliResult runIn(const QString& program, const QStringList& args, const QString& config) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config);
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.closeWriteChannel();
  CliResult r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.output = QString::fromUtf8(p.readAllStandardOutput());
  r.errors = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// The NEEDED entries of an ELF file (readelf), or the libraries the loader maps (ldd).
QStringList libraries(const QString& tool, const QStringList& args) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QStringList deviceLibrariesIn(const QStringList& lines) {
  QStringList found;
  for (const QString& line : lines)
    for (const char* lib : kDeviceLibraries)
      if (line.contains(QLatin1String(lib))) found << line.trimmed();
  return found;
}

TEST(DevicePlugin, ProgramsLinkNoSoundOrSerialLibrary) {
  const QString readelf = QStandardPaths::findExecutable("readelf");
  if (readelf.isEmpty()) GTEST_SKIP() << "readelf is not installed";
  const QString plugin = kBin + "/pealixdevices.so";
  ASSERT_TRUE(QFileInfo::exists(plugin));
  // The plugin itself holds them: the check finds what it looks for.
  EXPECT_FALSE(deviceLibrariesIn(libraries(readelf, {"-d", plugin})).isEmpty());
  for (const QString& name : {QStringLiteral("pealix-cli"), QStringLiteral("Pealix")}) {
    const QString program = kBin + "/" + name;
    if (!QFileInfo::exists(program)) continue;
    const QStringList needed = libraries(readelf, {"-d", program});
    ASSERT_FALSE(needed.isEmpty()) << name.toStdString();
    EXPECT_EQ(deviceLibrariesIn(needed), QStringList()) << name.toStdString();
    // Nor through the libraries it does link.
    const QString ldd = QStandardPaths::findExecutable("ldd");
    if (!ldd.isEmpty()) {
      EXPECT_EQ(deviceLibrariesIn(libraries(ldd, {program})), QStringList());
    }
  }
}

class MissingPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo(kBin + "/pealix-cli").isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    // A copy of the application directory without the plugin.
    for (const char* file : {"pealix-cli", "librvmelody.so", "librvsms.so", "pxen.so", "pxres.so"})
      ASSERT_TRUE(QFile::copy(kBin + "/" + file, app_.filePath(file))) << file;
    QFile::setPermissions(app_.filePath("pealix-cli"), QFile::permissions(kBin + "/pealix-cli"));
    tune_ = app_.filePath("tune.rtx");
    QFile f(tune_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("t:d=4,o=5,b=600:c,e");
  }
  CliResult cli(const QStringList& args) {
    return runIn(app_.filePath("pealix-cli"), args, config_.path());
  }

  QTemporaryDir app_, config_;
  QString tune_;
};

TEST_F(MissingPluginTest, TheCommandsThatNeedItSayWhy) {
  const QString wav = app_.filePath("out.wav");
  const QList<QStringList> commands = {
      {"devices"},
      {"ports"},
      {"render", tune_, wav},
      {"play", tune_},
      {"send", "clock", "--port", app_.filePath("tty")},
  };
  for (const QStringList& args : commands) {
    const CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(r.errors.contains("pealixdevices.so") && r.errors.contains("could not be loaded"))
        << args.join(' ').toStdString() << ": " << r.errors.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(wav));

  // What needs no device goes on working: converting, and a silent trace of the playback.
  const CliResult convert = cli({"convert", tune_, app_.filePath("tune.mid")});
  EXPECT_EQ(convert.exitCode, 0) << convert.errors.toStdString();
  EXPECT_EQ(cli({"play", tune_, "--device", "none"}).exitCode, 0);
  // The buzzer needs no synthesizer, but its loudness is measured by the plugin: a WAV at a
  // fixed gain is written without it, one normalised to a loudness says why not.
  const CliResult buzzer = cli({"render", tune_, wav, "--voice", "buzzer", "--gain", "0"});
  EXPECT_EQ(buzzer.exitCode, 0) << buzzer.errors.toStdString();
  const CliResult loud = cli({"render", tune_, app_.filePath("loud.wav"), "--voice", "buzzer"});
  EXPECT_EQ(loud.exitCode, 1);
  EXPECT_TRUE(loud.errors.contains("pealixdevices.so")) << loud.errors.toStdString();
}

TEST_F(MissingPluginTest, ALibraryWithoutTheEntryIsRefused) {
  // Another library under the plugin's name: found, loaded, and refused by name.
  ASSERT_TRUE(QFile::copy(kBin + "/pxen.so", app_.filePath("pealixdevices.so")));
  const CliResult r = cli({"devices"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("lacks the function pealixSoundSystem")) << r.errors.toStdString();
  const CliResult ports = cli({"ports"});
  EXPECT_EQ(ports.exitCode, 1);
  EXPECT_TRUE(ports.errors.contains("pealixSerialSystem")) << ports.errors.toStdString();
}

}  // namespace
