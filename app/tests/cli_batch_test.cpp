// pealix-cli convert for collections: batches into a folder, collection files of one tune
// per line, writer options by name, and Nokia ringtones and iMelody as inputs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "cli_process.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QByteArray output;
  QString errors;
};

class CliBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("out")));
  }
  CliRun run(const QStringList& args, const QString& program = {}) {
    const ProcessRun p = runProcess(program.isEmpty() ? cli_ : program, args);
    return {p.exitCode, p.output, p.errors};
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  QString out() const { return path(QStringLiteral("out")); }
  static QString example(const char* name) {
    return QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + name;
  }
  static QString collection() {
    return QStringLiteral(PEALIX_TEST_DATA "/collections/public_domain.txt");
  }
  void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  static QByteArray fileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Every name in a folder, hidden ones included.
  static QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
  }
  // The event lines of `info`.
  QStringList events(const QString& file) {
    const CliRun r = run({"info", file});
    EXPECT_EQ(r.exitCode, 0) << file.toStdString() << ": " << r.errors.toStdString();
    QStringList lines;
    for (const QByteArray& line : r.output.split('\n'))
      if (line.contains(" len ")) lines << QString::fromUtf8(line);
    return lines;
  }
  QString cli_;
  QTemporaryDir dir_;
};

TEST_F(CliBatchTest, CollectionFileOneTunePerLine) {
  const CliRun r =
      run({"convert", "--to", "midi", "--out-dir", out(), "--each-line", collection()});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  EXPECT_EQ(r.output, "converted 60, failed 0 (midi into " + out().toUtf8() + ")\n");
  EXPECT_TRUE(r.errors.isEmpty()) << r.errors.toStdString();  // no bar: not a terminal
  const QStringList files = entries(out());
  EXPECT_EQ(files.size(), 60);
  for (const char* name : {"Greensleeves.mid", "Oh_Susanna.mid", "Can-Can.mid",
                           "Coming_Round_the_Mountain.mid", "Loch_Lomond.mid"})
    EXPECT_TRUE(files.contains(QLatin1String(name)))
        << name << " in " << files.join(' ').toStdString();

  // A tune converted in the batch is the one converted alone.
  writeFile(
      "kumbaya.rtx",
      "Kumbaya:d=4, o=5, b=100: c, e, 2g, g, g, 2a, a, g, 2g, p, c, e, 2g, g, g, 2f, e, d, 2d");
  ASSERT_EQ(run({"convert", path("kumbaya.rtx"), path("alone.mid")}).exitCode, 0);
  EXPECT_EQ(fileBytes(out() + "/Kumbaya.mid"), fileBytes(path("alone.mid")));
  EXPECT_EQ(events(out() + "/Kumbaya.mid").size(), 19);
}

TEST_F(CliBatchTest, BadLinesFailOneByOneAndNamesStaySafe) {
  QByteArray text = "Good:d=4,o=5,b=100:c,d,e\n\n   \r\n";
  text += ":d=4,o=5,b=100:c,d\n";                // line 4: no name
  text += "!!! ??:d=4:c,d\n";                    // line 5: only punctuation
  text += "..:d=4:e,f\n";                        // line 6
  text += "../../escape:d=4:g\n";                // line 7: a path in the name
  text += "Good:d=4:g,a\n";                      // line 8: duplicate
  text += QByteArray(100000, 'x') + ":d=4:c\n";  // line 9
  text += "no colon at all\n";                   // line 10
  text += QByteArray("bin\0ary:d=4:c\n", 14);    // line 11
  text += "Gr\xC3\xBC\xC3\x9F Gott:d=4:c\r\n";   // line 12
  writeFile("coll.txt", text);
  const QStringList before = entries(dir_.path());
  const CliRun r = run(
      {"convert", "--to", "rtttl", "--out-dir", out(), "--each-line", "--quiet", path("coll.txt")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "converted 7, failed 3 (rtttl into " + out().toUtf8() + ")\n");
  const QString name = path("coll.txt");
  EXPECT_TRUE(r.errors.contains(name + ":9: the line is 100006 characters long"))
      << r.errors.toStdString();
  EXPECT_TRUE(r.errors.contains(name + ":10: cannot read as rtttl")) << r.errors.toStdString();
  EXPECT_TRUE(r.errors.contains(name + ":11: the line holds binary data"))
      << r.errors.toStdString();
  EXPECT_EQ(entries(out()),
            (QStringList{"Good-2.rtx", "Good.rtx", QString::fromUtf8("Grüß_Gott.rtx"), "escape.rtx",
                         "line-4.rtx", "line-5.rtx", "line-6.rtx"}));
  EXPECT_EQ(entries(dir_.path()), before);  // nothing outside the output folder
  EXPECT_EQ(fileBytes(out() + "/Good-2.rtx"), "Good:d=4,o=5,b=63:g,a");
}

TEST_F(CliBatchTest, FilesAndFoldersOfEveryReadableKind) {
  ASSERT_EQ(run({"convert", example("Twinkle.rtx"), path("twinkle.ota")}).exitCode, 0);
  ASSERT_EQ(run({"convert", example("OdeToJoy.rtx"), path("ode.imy")}).exitCode, 0);
  ASSERT_EQ(run({"convert", example("Westminster.rtx"), path("chimes.mid")}).exitCode, 0);
  writeFile("broken.imy", "BEGIN:IMELODY\nMELODY:c2x\n");
  const CliRun r = run({"convert", "--to", "rtttl", "--out-dir", out(), "--quiet", example(""),
                        path("twinkle.ota"), path("ode.imy"), path("chimes.mid"),
                        path("broken.imy"), path("missing.rtx")});
  EXPECT_EQ(r.exitCode, 1);
  // The examples folder holds four tunes and its build file, which is no RTTTL tune.
  EXPECT_TRUE(r.errors.contains("CMakeLists.txt: ")) << r.errors.toStdString();
  EXPECT_TRUE(r.errors.contains(path("broken.imy") + ": not an iMelody file: unexpected 'x'"))
      << r.errors.toStdString();
  EXPECT_TRUE(r.errors.contains(path("missing.rtx") + ": no such file or folder"));
  EXPECT_EQ(r.output, "converted 7, failed 3 (rtttl into " + out().toUtf8() + ")\n");
  EXPECT_EQ(entries(out()),
            (QStringList{"FrereJacques.rtx", "OdeToJoy.rtx", "Twinkle.rtx", "Westminster.rtx",
                         "chimes.rtx", "ode.rtx", "twinkle.rtx"}));
  // Through the Nokia ringtone and iMelody and back, the notes are the same.
  EXPECT_EQ(events(out() + "/twinkle.rtx"), events(example("Twinkle.rtx")));
  EXPECT_EQ(events(out() + "/ode.rtx"), events(example("OdeToJoy.rtx")));
  EXPECT_EQ(fileBytes(out() + "/twinkle.rtx"), fileBytes(out() + "/Twinkle.rtx"));
}

TEST_F(CliBatchTest, AnOutputFolderThatIsMissingOrFull) {
  // A missing folder is made, with its parents.
  const QString missing = path("no/such/folder");
  CliRun r = run({"convert", "--to", "midi", "--out-dir", missing, example("Twinkle.rtx"),
                  example("OdeToJoy.rtx")});
  EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
  EXPECT_EQ(entries(missing).size(), 2) << r.errors.toStdString();

  // A file size limit of 1 KiB stands in for a full disk: the long tune's XML does not
  // fit, the short one's does, and no partial or temporary file stays behind.
  QByteArray longTune = "Long:d=8,o=5,b=120:";
  for (int i = 0; i < 40; ++i) longTune += i ? ",c,d" : "c,d";
  writeFile("long.rtx", longTune);
  writeFile("short.rtx", "Short:d=4,o=5,b=120:c");
  r = run({"-c",
           "ulimit -f 1; trap '' XFSZ; exec \"$0\" convert --to xml --out-dir \"$1\" \"$2\" \"$3\"",
           cli_, out(), path("long.rtx"), path("short.rtx")},
          QStringLiteral("/bin/sh"));
  EXPECT_EQ(r.exitCode, 1) << r.errors.toStdString();
  EXPECT_TRUE(
      r.errors.contains(path("long.rtx") + ": cannot write " + out() + "/long.xml: File too large"))
      << r.errors.toStdString();
  EXPECT_EQ(entries(out()), QStringList{"short.xml"});
}

TEST_F(CliBatchTest, AnOutputFolderThatIsNotWritable) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ASSERT_TRUE(QFile::setPermissions(out(), QFile::ReadOwner | QFile::ExeOwner));
  const CliRun r = run({"convert", "--to", "midi", "--out-dir", out(), example("Twinkle.rtx")});
  QFile::setPermissions(out(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("Permission denied")) << r.errors.toStdString();
}

// A batch ended by a signal leaves finished files and no temporary ones.
TEST_F(CliBatchTest, AnInterruptedBatchLeavesNoPartialFiles) {
  QByteArray many;
  for (int i = 0; i < 4000; ++i)
    many += "Tune " + QByteArray::number(i) + ":d=8,o=5,b=120:c,d,e,f,g,a,b,c6,d6,e6\n";
  writeFile("many.txt", many);
  QProcess p;
  p.start(cli_, {"convert", "--to", "xml", "--out-dir", out(), "--each-line", path("many.txt")});
  ASSERT_TRUE(p.waitForStarted());
  for (int i = 0; i < 3000 && entries(out()).isEmpty(); ++i) QThread::msleep(10);
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(30000));
  for (const QString& name : entries(out())) {
    EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
    EXPECT_TRUE(fileBytes(out() + "/" + name).endsWith("</Melody>")) << name.toStdString();
  }
}

TEST_F(CliBatchTest, WriterOptionsByName) {
  const QString twinkle = example("Twinkle.rtx");
  ASSERT_EQ(run({"convert", twinkle, path("t.ota"), "--binary", "--no-udh"}).exitCode, 0);
  EXPECT_TRUE(fileBytes(path("t.ota")).startsWith("\x02\x4A\x3A"));
  ASSERT_EQ(run({"convert", twinkle, path("u.ota"), "--option6", "0", "--option7", "0"}).exitCode,
            0);
  EXPECT_EQ(fileBytes(path("u.ota")), fileBytes(path("t.ota")));
  ASSERT_EQ(run({"convert", twinkle, path("s.ota"), "--size-limit", "30"}).exitCode, 0);
  EXPECT_EQ(fileBytes(path("s.ota")).size(), 60);  // 30 bytes as hex text

  ASSERT_EQ(run({"convert", twinkle, path("m.txt"), "--to", "motorola", "--header-trailer",
                 "--blank-tokens", "--no-token-limit"})
                .exitCode,
            0);
  const QByteArray moto = fileBytes(path("m.txt"));
  EXPECT_TRUE(moto.startsWith("L35&")) << moto.data();
  EXPECT_GT(moto.count(' '), 35);

  ASSERT_EQ(run({"convert", twinkle, path("k.srt"), "--crlf", "--size-limit", "0"}).exitCode, 0);
  EXPECT_TRUE(fileBytes(path("k.srt")).contains("\r\n"));
  ASSERT_EQ(run({"convert", twinkle, path("p.pkp"), "--no-header", "--start", "40"}).exitCode, 0);
  EXPECT_FALSE(fileBytes(path("p.pkp")).contains("Title:"));

  // Options that do not belong to the output format, or set one element twice.
  CliRun r = run({"convert", twinkle, path("x.ota"), "--crlf"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.errors.contains("--crlf applies to sagem, not to nokia")) << r.errors.toStdString();
  r = run({"convert", twinkle, path("x.ota"), "--binary", "--option7", "1"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.errors.contains("set the same option")) << r.errors.toStdString();
  EXPECT_EQ(run({"convert", twinkle, path("x.srt"), "--size-limit", "many"}).exitCode, 2);
  EXPECT_FALSE(QFileInfo::exists(path("x.ota")));

  // Batches take them too: binary ringtones get the .ott extension.
  ASSERT_EQ(run({"convert", "--to", "nokia", "--binary", "--out-dir", out(), twinkle}).exitCode, 0);
  const QByteArray piped = run({"convert", twinkle, "-", "--to", "nokia", "--binary"}).output;
  EXPECT_EQ(fileBytes(out() + "/Twinkle.ott") + "\n", piped);  // standard output keeps the 0 bytes
  const QString help = QString::fromUtf8(run({"convert", "--help"}).output);
  for (const char* name : {"--size-limit", "--crlf", "--keep-title", "--no-udh", "--binary",
                           "--keypad-codes", "--no-header", "--start", "--header-trailer",
                           "--no-token-limit", "--blank-tokens", "--out-dir", "--each-line"})
    EXPECT_TRUE(help.contains(QLatin1String(name))) << name;
}

TEST_F(CliBatchTest, UsageErrors) {
  EXPECT_EQ(run({"convert", "--out-dir", out(), example("Twinkle.rtx")}).exitCode, 2);  // no --to
  EXPECT_EQ(run({"convert", "--to", "midi", "--out-dir", out()}).exitCode, 2);          // no input
  EXPECT_EQ(
      run({"convert", "--to", "sagemhex", "--out-dir", out(), example("Twinkle.rtx")}).exitCode, 2);
  EXPECT_EQ(run({"convert", "--each-line", example("Twinkle.rtx"), path("a.mid")}).exitCode, 2);
  EXPECT_EQ(
      run({"convert", "--to", "midi", "--jobs", "0", "--out-dir", out(), example("Twinkle.rtx")})
          .exitCode,
      2);
  EXPECT_TRUE(entries(out()).isEmpty());
}

}  // namespace
