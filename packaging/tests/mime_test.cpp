// The MIME package compiled into a private shared-mime-info database together with the
// system's own definitions, then looked up the way desktop programs do (name and
// content), so clashes with the older types of the same extensions show up here.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "mainwindow/appstate.h"

namespace {

const QString kPackaging = QStringLiteral(PEALIX_SOURCE_DIR "/packaging");
const QString kSystemTypes = QStringLiteral("/usr/share/mime/packages/freedesktop.org.xml");

QTemporaryDir* g_dataDir = nullptr;

class MimeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_dataDir = new QTemporaryDir;
    ASSERT_TRUE(g_dataDir->isValid());
    const QString mime = g_dataDir->filePath(QStringLiteral("share/mime"));
    ASSERT_TRUE(QDir().mkpath(mime + QStringLiteral("/packages")));
    ASSERT_TRUE(QFile::copy(kSystemTypes, mime + QStringLiteral("/packages/freedesktop.org.xml")))
        << "shared-mime-info is not installed";
    ASSERT_TRUE(QFile::copy(kPackaging + QStringLiteral("/org.pealix.Pealix.mime.xml"),
                            mime + QStringLiteral("/packages/org.pealix.Pealix.xml")));
    QProcess update;
    update.start(QStringLiteral("update-mime-database"), {mime});
    ASSERT_TRUE(update.waitForFinished(60000)) << "update-mime-database did not run";
    ASSERT_EQ(update.exitCode(), 0) << update.readAllStandardError().toStdString();
    // Only the private database is seen: no user or system overrides.
    qputenv("XDG_DATA_HOME", g_dataDir->filePath(QStringLiteral("nohome")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", g_dataDir->filePath(QStringLiteral("share")).toLocal8Bit());
  }
  static void TearDownTestSuite() {
    delete g_dataDir;
    g_dataDir = nullptr;
  }

  static std::string typeOf(const QString& name, const QByteArray& content) {
    return QMimeDatabase().mimeTypeForFileNameAndData(name, content).name().toStdString();
  }
};

QByteArray exampleFile(const char* name) {
  QFile f(QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList desktopEntryTypes() {
  QFile f(kPackaging + QStringLiteral("/org.pealix.Pealix.desktop"));
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  const QString key = QStringLiteral("MimeType=");
  for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
    if (line.startsWith(key))
      return line.mid(key.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  return {};
}

QStringList xmlTexts(const QString& file, const QString& element, const QString& attribute = {}) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList out;
  QXmlStreamReader xml(&f);
  while (xml.readNextStartElement() || !xml.atEnd()) {
    if (xml.isStartElement() && xml.name() == element)
      out << (attribute.isEmpty() ? xml.readElementText()
                                  : xml.attributes().value(attribute).toString());
    if (!xml.isStartElement()) xml.readNext();
  }
  return out;
}

TEST_F(MimeTest, RingtonesAreRecognisedByTheirContent) {
  EXPECT_EQ(typeOf("OdeToJoy.rtx", exampleFile("OdeToJoy.rtx")), "audio/x-rtttl");
  EXPECT_EQ(typeOf("tune.rtx", "Tune:D=8,O=6,B=160:c,e,g"), "audio/x-rtttl");
  EXPECT_EQ(typeOf("tune.srt", "$MUS$1.0$\nTitre:Tune\nData:3-385-120\n'Q'Q'T\n"),
            "audio/x-sagem-ringtone");
  EXPECT_EQ(typeOf("tune.imy", "BEGIN:IMELODY\r\nVERSION:1.2\r\n"), "text/x-iMelody");
  EXPECT_EQ(typeOf("tune.mid", QByteArray("MThd\0\0\0\6\0\0\0\1\0\x60", 14)), "audio/midi");
  // Nokia ringtone data as bytes and as hex text, with and without the port header.
  EXPECT_EQ(typeOf("tune.ott", QByteArray("\x02\x4a\x3a\x61\x3d", 5)),
            "application/vnd.nokia.ringing-tone");
  EXPECT_EQ(typeOf("tune.rng", QByteArray("\x02\x4a\x3a\x61\x3d", 5)),
            "application/vnd.nokia.ringing-tone");
  EXPECT_EQ(typeOf("tune.ota",
                   "0605041581158102"
                   "4A3A613D"),
            "application/vnd.nokia.ringing-tone");
  EXPECT_EQ(typeOf("tune.ota", "024A3A613D9195"), "application/vnd.nokia.ringing-tone");
}

TEST_F(MimeTest, OlderTypesOfTheSameExtensionsKeepTheirFiles) {
  // SubRip subtitles, with their usual start and without it (a byte order mark first).
  EXPECT_EQ(typeOf("film.srt", "1\n00:00:01,000 --> 00:00:02,500\nHello\n"),
            "application/x-subrip");
  EXPECT_EQ(typeOf("film.srt",
                   "\xEF\xBB\xBF"
                   "1\r\n00:00:01,000 --> 00:00:02,500\r\nHi\r\n"),
            "application/x-subrip");
  EXPECT_EQ(typeOf("notes.srt", "just some text\n"), "application/x-subrip");
  // An OpenDocument text template and a RELAX NG grammar.
  QByteArray odt("PK\x03\x04", 4);
  odt += QByteArray(26, '\0') + "mimetype" + "application/vnd.oasis.opendocument.text-template";
  EXPECT_EQ(typeOf("letter.ott", odt), "application/vnd.oasis.opendocument.text-template");
  EXPECT_EQ(
      typeOf("schema.rng",
             "<?xml version=\"1.0\"?>\n<grammar xmlns=\"http://relaxng.org/ns/structure/1.0\"/>\n"),
      "application/xml");
}

// The desktop offers Pealix for exactly the files its command line opens: a listed type
// the program ignores would start an empty window, an unlisted one is never offered.
TEST_F(MimeTest, DesktopEntryOffersWhatTheCommandLineOpens) {
  const QStringList desktop = desktopEntryTypes();
  ASSERT_FALSE(desktop.isEmpty());
  QMimeDatabase db;
  for (const QString& t : desktop) {
    const QMimeType type = db.mimeTypeForName(t);
    ASSERT_TRUE(type.isValid()) << t.toStdString();
    EXPECT_EQ(type.name(), t) << "an alias instead of the type's own name";
    bool opened = false;
    for (const QString& glob : type.globPatterns())
      opened =
          opened || !ParseCommandLine({QStringLiteral("/tmp/tune") + glob.mid(1)}).path.isEmpty();
    EXPECT_TRUE(opened) << t.toStdString() << " is offered but the command line ignores it";
  }
  const char* const ringtoneExtensions[] = {"rtx", "mid", "midi", "srt", "ota", "ott", "rng",
                                            "imy", "ime", "txt",  "pkp", "xml", "kar"};
  for (const char* ext : ringtoneExtensions) {
    const QString name = QStringLiteral("tune.") + QLatin1String(ext);
    if (ParseCommandLine({name}).path.isEmpty()) continue;
    const QString glob = QStringLiteral("*.") + QLatin1String(ext);
    bool listed = false;
    for (const QString& t : desktop)
      listed = listed || db.mimeTypeForName(t).globPatterns().contains(glob);
    EXPECT_TRUE(listed) << "the command line opens " << glob.toStdString()
                        << " but no type of the desktop entry has that extension";
  }
  const QStringList metainfo = xmlTexts(
      kPackaging + QStringLiteral("/org.pealix.Pealix.metainfo.xml"), QStringLiteral("mediatype"));
  QStringList a = metainfo, b = desktop;
  a.sort();
  b.sort();
  EXPECT_EQ(a.join(QLatin1Char(' ')).toStdString(), b.join(QLatin1Char(' ')).toStdString());
}

}  // namespace
