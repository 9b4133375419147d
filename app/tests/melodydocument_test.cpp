// The main window's editing operations on the melody document, its undo/redo history,
// the event list's row texts, the command line, the main settings and the temporary
// folder, all without a window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "document/eventlistmodel.h"
#include "document/melodydocument.h"
#include "languages/reslang.h"
#include "mainwindow/appstate.h"
#include "melody/rvmelodyapi.h"
#include "settings/tempfiles.h"

namespace {

struct Ev {
  int len, dot, kind, v1;
  bool operator==(const Ev&) const = default;
};

std::vector<Ev> events(const pxvbMelody& m) {
  std::vector<Ev> out;
  for (int i = 0; i < m.size(); ++i)
    out.push_back({m.getSimpleLen(i), m.getDotLen(i), m.getEvent(i), m.getEventVal1(i)});
  return out;
}

void add(pxvbMelody& m, std::initializer_list<Ev> evs) {
  for (const Ev& e : evs) m.addevent(e.len, e.dot, e.kind, e.v1, e.kind == 1 ? 100 : 0);
}

constexpr int P = 16;  // pause
constexpr int N = 1;   // note

QString res(int id) {
  return QStringLiteral("<%1>").arg(id);
}

TEST(MelodyDocument, UndoRestoresTheStateBeforeEachEditAndRedoRepeatsIt) {
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 60}, {8, 1, N, 62}});
  EXPECT_FALSE(doc.canUndo());
  EXPECT_FALSE(doc.isModified());
  const auto original = events(doc.melody());

  doc.changeNotes(1);
  const auto afterFirst = events(doc.melody());
  doc.applyTitle(QStringLiteral("Renamed"));
  doc.applyTempoText(QStringLiteral("200"));
  doc.longer();
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(doc.undoCount(), 4);

  ASSERT_TRUE(doc.undo());  // the lengths
  EXPECT_EQ(doc.melody().bpm(), 200);
  ASSERT_TRUE(doc.undo());  // the tempo
  EXPECT_EQ(doc.melody().bpm(), 120);
  EXPECT_EQ(doc.melody().sName(), QStringLiteral("Renamed"));
  ASSERT_TRUE(doc.undo());  // the title
  EXPECT_EQ(doc.melody().sName(), QStringLiteral("Pealix"));
  EXPECT_EQ(events(doc.melody()), afterFirst);
  ASSERT_TRUE(doc.undo());
  EXPECT_EQ(events(doc.melody()), original);
  EXPECT_FALSE(doc.canUndo());
  EXPECT_FALSE(doc.undo());

  ASSERT_TRUE(doc.redo());
  EXPECT_EQ(events(doc.melody()), afterFirst);
  EXPECT_TRUE(doc.canUndo());
  EXPECT_EQ(doc.redoCount(), 3);
  // A new edit forgets what could be redone.
  doc.shorter();
  EXPECT_FALSE(doc.canRedo());
  EXPECT_FALSE(doc.redo());
}

TEST(MelodyDocument, HistoryHoldsAtLeastAHundredSteps) {
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 0}});
  for (int i = 0; i < 127; ++i) doc.changeNotes(1);
  EXPECT_EQ(doc.melody().getEventVal1(0), 127);
  int undone = 0;
  while (doc.undo()) ++undone;
  EXPECT_EQ(undone, 127);
  EXPECT_EQ(doc.melody().getEventVal1(0), 0);
  for (int i = 0; i < MelodyDocument::kHistoryDepth + 5; ++i) doc.changeNotes(i % 2 ? 1 : -1);
  EXPECT_EQ(doc.undoCount(), MelodyDocument::kHistoryDepth);
}

TEST(MelodyDocument, RefreshRuleAndPauseDeletion) {
  MelodyDocument doc;
  EXPECT_TRUE(doc.ensureNotEmpty());
  EXPECT_EQ(events(doc.melody()), (std::vector<Ev>{{8, 0, P, 0}}));
  EXPECT_FALSE(doc.ensureNotEmpty());

  // Pauses only: deleting all of them leaves, after the refresh, one eighth pause.
  doc.melody().resize(0);
  add(doc.melody(), {{4, 0, P, 0}, {2, 0, P, 0}, {16, 0, P, 0}});
  doc.deleteAllPauses();
  EXPECT_EQ(doc.melody().size(), 0);
  doc.ensureNotEmpty();
  EXPECT_EQ(events(doc.melody()), (std::vector<Ev>{{8, 0, P, 0}}));

  // Control events are not pauses: they stop the leading and trailing runs.
  const std::initializer_list<Ev> mixed = {{4, 0, P, 0},  {4, 0, P, 0}, {0, 0, 4, 140},
                                           {4, 0, N, 60}, {8, 0, P, 0}, {4, 0, N, 62},
                                           {4, 0, P, 0},  {2, 0, P, 0}};
  doc.melody().resize(0);
  add(doc.melody(), mixed);
  doc.deleteLeadingPauses();
  EXPECT_EQ(doc.melody().size(), 6);
  EXPECT_EQ(doc.melody().getEvent(0), 4);
  doc.deleteTrailingPauses();
  EXPECT_EQ(events(doc.melody()),
            (std::vector<Ev>{{0, 0, 4, 140}, {4, 0, N, 60}, {8, 0, P, 0}, {4, 0, N, 62}}));
  doc.deleteAllPauses();
  EXPECT_EQ(events(doc.melody()), (std::vector<Ev>{{0, 0, 4, 140}, {4, 0, N, 60}, {4, 0, N, 62}}));

  doc.melody().resize(0);
  add(doc.melody(), mixed);
  doc.deleteLeadingAndTrailingPauses();
  EXPECT_EQ(doc.melody().size(), 4);
  EXPECT_EQ(doc.undoCount(), 5);
}

TEST(MelodyDocument, DeletingSelectedAndUnselectedRows) {
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 60},
                     {4, 0, N, 61},
                     {4, 0, N, 62},
                     {4, 0, N, 63},
                     {4, 0, N, 64},
                     {4, 0, N, 65},
                     {4, 0, N, 66}});
  // Rows 2, 3 and 5 in any order and with repeats: two runs, order kept.
  EXPECT_TRUE(doc.deleteRows({5, 2, 3, 3, 99, -1}));
  std::vector<int> keys;
  for (const Ev& e : events(doc.melody())) keys.push_back(e.v1);
  EXPECT_EQ(keys, (std::vector<int>{60, 61, 64, 66}));

  EXPECT_FALSE(doc.deleteRows({}));
  EXPECT_FALSE(doc.deleteRows({7, 100}));
  EXPECT_FALSE(doc.deleteOtherRows({}));
  EXPECT_EQ(doc.undoCount(), 1);  // nothing selected: no step

  EXPECT_TRUE(doc.deleteOtherRows({1, 3}));
  keys.clear();
  for (const Ev& e : events(doc.melody())) keys.push_back(e.v1);
  EXPECT_EQ(keys, (std::vector<int>{61, 66}));
}

TEST(MelodyDocument, MoveIntoRangeLeavesItsMessage) {
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 40}, {4, 0, P, 0}, {4, 0, N, 68}});
  // The smallest shift that fits, not whole octaves.
  EXPECT_EQ(doc.moveIntoRange(0), 1);
  EXPECT_EQ(doc.melody().getEventVal1(0), 57);
  EXPECT_EQ(doc.melody().getEventVal1(2), 85);
  EXPECT_TRUE(doc.pendingStatus().isEmpty());
  EXPECT_EQ(doc.undoCount(), 1);

  EXPECT_EQ(doc.moveIntoRange(0), 2);
  EXPECT_EQ(doc.takePendingStatus(), GetResString(992));
  EXPECT_TRUE(doc.pendingStatus().isEmpty());
  EXPECT_EQ(doc.undoCount(), 1);

  doc.melody().resize(0);
  add(doc.melody(), {{4, 0, N, 40}, {4, 0, N, 90}});
  const int steps = doc.undoCount();
  EXPECT_EQ(doc.moveIntoRange(3), -1);
  EXPECT_EQ(doc.pendingStatus(), QStringLiteral("Nokia 61xx ") + GetResString(991));
  EXPECT_EQ(doc.moveIntoRange(2), -1);
  EXPECT_EQ(doc.pendingStatus(), GetResString(864) + QLatin1Char(' ') + GetResString(991));
  EXPECT_EQ(doc.undoCount(), steps);  // nothing moved, nothing to undo
  EXPECT_EQ(doc.melody().getEventVal1(1), 90);
  EXPECT_EQ(doc.moveIntoRange(5), 0);
  reslang::SetAppDirectory(QString());
}

TEST(MelodyDocument, TempoAndTitleFields) {
  MelodyDocument doc;
  EXPECT_EQ(doc.applyTempoText(QStringLiteral("90")), QString());  // empty melody: cleared
  EXPECT_EQ(doc.melody().bpm(), 120);
  add(doc.melody(), {{4, 0, N, 60}});
  EXPECT_EQ(doc.applyTempoText(QStringLiteral("0")), QStringLiteral("1"));
  EXPECT_EQ(doc.melody().bpm(), 1);
  EXPECT_EQ(doc.applyTempoText(QString()), QStringLiteral("1"));
  EXPECT_EQ(doc.applyTempoText(QStringLiteral("99999999")), QStringLiteral("32767"));
  const int steps = doc.undoCount();
  doc.applyTempoText(QStringLiteral("32767"));  // unchanged: no step
  doc.applyTitle(doc.melody().sName());
  EXPECT_EQ(doc.undoCount(), steps);
}

TEST(MelodyDocument, NameFromFile) {
  EXPECT_EQ(MelodyDocument::NameFromFile("/a/b/my song.v2.mid"), QStringLiteral("my song"));
  EXPECT_EQ(MelodyDocument::NameFromFile("/a/tune  .rtx"), QStringLiteral("tune"));
  EXPECT_EQ(MelodyDocument::NameFromFile("/a/.hidden"), QStringLiteral(".hidden"));
  EXPECT_EQ(MelodyDocument::NameFromFile("plain"), QStringLiteral("plain"));
  EXPECT_EQ(MelodyDocument::NameFromFile("/x/abcdefghijklmnopqrstuvwxyz.mid"),
            QStringLiteral("abcdefghijklmnopqrst"));
}

TEST(EventRows, LengthAndEventTexts) {
  EXPECT_EQ(eventrows::NumberText(0), QStringLiteral("  1  "));
  EXPECT_EQ(eventrows::LengthText(8, 0), QStringLiteral(" 8"));
  EXPECT_EQ(eventrows::LengthText(4, 1), QStringLiteral(" 4 ."));
  EXPECT_EQ(eventrows::LengthText(2, 2), QStringLiteral(" 2 .."));
  EXPECT_EQ(eventrows::LengthText(16, 3), QStringLiteral(" 16 .:"));
  EXPECT_EQ(eventrows::LengthText(-1, 0), QStringLiteral("-1"));

  pxvbMelody m;
  m.addevent(4, 0, 1, 60);
  m.addevent(4, 0, 1, 61);
  m.addevent(4, 0, 16);
  m.addevent(0, 0, 3, 0);
  m.addevent(0, 0, 3, 2);
  m.addevent(0, 0, 4, 180);
  m.addevent(0, 0, 5, 0, 90);
  m.addevent(0, 0, 5, 1, 1);
  m.addevent(0, 0, 5, 1, 0);
  m.addevent(0, 0, 6, 2, 3);
  m.addevent(0, 0, 42);
  m.addevent(4, 0, 1, -1);
  m.addevent(4, 0, 1, 127);
  const QStringList expected = {"C5",        "C#5",    "<14>",  "Style:N", "Style:S",
                                "Tempo:180", "Vol:90", "Vol:+", "Vol:-",   "Loop:2 repeat:3",
                                "n/a",       "B-1",    "G10"};
  for (int i = 0; i < m.size(); ++i) EXPECT_EQ(eventrows::EventText(m, i, res), expected[i]) << i;
}

TEST(EventRows, WarningColumnNamesTheRangesANoteLeaves) {
  EXPECT_EQ(eventrows::WarningText(90, res), QStringLiteral("<800><994>, <864>"));
  EXPECT_EQ(eventrows::WarningText(65, res), QStringLiteral("<801><993> 61xx, <866>"));
  EXPECT_EQ(eventrows::WarningText(110, res), QStringLiteral("<800><996>, <993>, <994>, <864>"));
  EXPECT_EQ(eventrows::WarningText(50, res), QStringLiteral("<801><994>, <864>, <993>, <996>"));
  EXPECT_EQ(eventrows::WarningText(58, res), QStringLiteral("<801><864>, <993>, <996>"));
  EXPECT_EQ(eventrows::WarningText(84, res), QStringLiteral("<800><864>"));
  for (int key : {72, 80, 83}) EXPECT_TRUE(eventrows::WarningText(key, res).isEmpty()) << key;
}

TEST(EventRows, ModelRowsFollowTheMelodyAfterARefill) {
  pxvbMelody m;
  m.addevent(4, 1, 1, 90);
  m.addevent(8, 0, 16);
  EventListModel model(&m, nullptr, res);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.columnCount(), 4);
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral(" 4 ."));
  EXPECT_EQ(model.data(model.index(0, 3)).toString(), QStringLiteral("<800><994>, <864>"));
  EXPECT_TRUE(model.data(model.index(1, 3)).toString().isEmpty());  // pauses warn of nothing
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("<1043>"));
  m.addevent(4, 0, 1, 60);
  EXPECT_EQ(model.rowCount(), 2);  // until the refill
  model.refill();
  EXPECT_EQ(model.rowCount(), 3);
  m.resize(0);
  EXPECT_FALSE(model.data(model.index(2, 2)).isValid());  // never reads past the melody
}

TEST(StartUp, CommandLineFileByLowerCaseExtension) {
  const CommandLineFile mid = ParseCommandLine({QStringLiteral("/m/SONG.MID")});
  EXPECT_EQ(mid.fileType, 2);
  EXPECT_EQ(mid.formatId, 10);
  EXPECT_EQ(mid.path, QStringLiteral("/m/SONG.MID"));
  EXPECT_EQ(ParseCommandLine({QStringLiteral("a.midi")}).formatId, 10);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("a.Rtx")}).formatId, 7);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("a.srt")}).formatId, 2);
  EXPECT_TRUE(QFileInfo(ParseCommandLine({QStringLiteral("a.srt")}).path).isAbsolute());
  for (const QStringList& args : {QStringList{QStringLiteral("notes.txt")}, QStringList{},
                                  QStringList{QString()}, QStringList{QStringLiteral("mid")}}) {
    const CommandLineFile none = ParseCommandLine(args);
    EXPECT_EQ(none.fileType, -1);
    EXPECT_TRUE(none.path.isEmpty());
  }
}

TEST(StartUp, MainSettingsRoundTripAndRangeChecks) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("Pealix.conf"));
  {
    auto store = pxsettings::SettingsStore::atPath(file);
    MainSettings s;
    s.playAction = QStringLiteral("play");
    s.newLang = 2;
    s.lastDir = QStringLiteral("/music");
    s.gridLines = true;
    s.nokCExp = QStringLiteral(";");
    s.save(store);
    store.sync();
  }
  auto store = pxsettings::SettingsStore::atPath(file);
  MainSettings back;
  back.load(store, 3);
  EXPECT_EQ(back.playAction, QStringLiteral("play"));
  EXPECT_EQ(back.newLang, 2);
  EXPECT_EQ(back.lastDir, QStringLiteral("/music"));
  EXPECT_TRUE(back.gridLines);
  EXPECT_FALSE(back.fullSelect);
  EXPECT_EQ(back.nokCExp, QStringLiteral(";"));
  EXPECT_EQ(back.nokCImp, QStringLiteral(" "));
  back.load(store, 2);  // the stored language no longer exists
  EXPECT_EQ(back.newLang, 1);
  store.write(QStringLiteral("Style"), QStringLiteral("MainGirdLines"), QStringLiteral("2"));
  store.write(QStringLiteral("Properties"), QStringLiteral("midiplay"), QStringLiteral("bogus"));
  back.load(store, 3);
  EXPECT_FALSE(back.gridLines);
  EXPECT_EQ(back.playAction, QStringLiteral("open"));
}

TEST(TempFiles, PrivateFolderAndRemoval) {
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  pxSetTempDir(QString());
  const QString dir = pxTempDir();
  EXPECT_EQ(dir, runtime.path() + QStringLiteral("/pealix"));
  EXPECT_EQ(QFileInfo(dir).permissions() &
                (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
            QFileDevice::Permissions());
  for (const QString& name : pxTempFileNames() + QStringList{QStringLiteral("keep.txt")}) {
    QFile f(pxTempFile(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_TRUE(pxRemoveTempFiles());
  for (const QString& name : pxTempFileNames()) EXPECT_FALSE(QFileInfo::exists(pxTempFile(name)));
  EXPECT_TRUE(QFileInfo::exists(pxTempFile(QStringLiteral("keep.txt"))));
  // A link planted under the folder's name is not followed.
  QTemporaryDir other;
  QTemporaryDir runtime2;
  ASSERT_TRUE(QFile::link(other.path(), runtime2.path() + QStringLiteral("/pealix")));
  qputenv("XDG_RUNTIME_DIR", runtime2.path().toUtf8());
  pxSetTempDir(QString());
  EXPECT_NE(pxTempDir(), runtime2.path() + QStringLiteral("/pealix"));
  EXPECT_FALSE(pxTempDir().isEmpty());
  pxSetTempDir(QString());
}

// Operations that go through the melody library.
class DocumentLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }
  QString write(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(DocumentLibrary, CopyAndPasteThroughTheLibraryClipboard) {
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 60}, {8, 0, N, 62}, {4, 0, P, 0}, {2, 0, N, 64}});
  const rvTonehead::Outcome copied = doc.copyRows({3, 1});
  ASSERT_EQ(copied.result, 1) << copied.code;
  EXPECT_FALSE(doc.canUndo());  // copying changes nothing
  const rvTonehead::Outcome pasted = doc.pasteAt(1);
  ASSERT_EQ(pasted.result, 1) << pasted.code;
  std::vector<int> keys;
  for (const Ev& e : events(doc.melody())) keys.push_back(e.v1);
  EXPECT_EQ(keys, (std::vector<int>{60, 62, 64, 62, 0, 64}));
  EXPECT_EQ(doc.pasteMelody().size(), 2);
  doc.undo();
  EXPECT_EQ(doc.melody().size(), 4);

  // Cut: copied, then gone; pasting puts them back at the start when asked outside.
  ASSERT_EQ(doc.cutRows({0}).result, 1);
  EXPECT_EQ(doc.melody().size(), 3);
  ASSERT_EQ(doc.pasteAt(-5).result, 1);
  EXPECT_EQ(doc.melody().getEventVal1(0), 60);
  // Nothing selected: nothing copied, the clipboard keeps what it had.
  EXPECT_EQ(doc.copyRows({}).result, 0);
}

TEST_F(DocumentLibrary, OpenAndTransformAreUndoableSteps) {
  MelodyDocument doc;
  add(doc.melody(), {{4, 0, N, 60}});
  doc.setModified(true);
  const QString path = write(QStringLiteral("Ode To Joy.rtx"), ":d=4,o=5,b=140:c,8d,p,2e");
  const rvTonehead::Outcome o = doc.openFile(path, 7);
  ASSERT_EQ(o.result, 1) << o.code;
  EXPECT_EQ(doc.melody().size(), 4);
  EXPECT_EQ(doc.melody().bpm(), 140);
  EXPECT_EQ(doc.melody().sName(), QStringLiteral("Ode To Joy"));  // no name in the file
  EXPECT_EQ(doc.filePath(), path);
  EXPECT_EQ(doc.fileFormat(), 7);
  EXPECT_FALSE(doc.isModified());
  EXPECT_TRUE(doc.hasMelody());

  ASSERT_EQ(doc.transform(rvTonehead::Modify::ScaleDurations, 2).result, 1);
  EXPECT_EQ(doc.melody().getSimpleLen(0), 2);
  EXPECT_TRUE(doc.isModified());
  doc.undo();
  EXPECT_EQ(doc.melody().getSimpleLen(0), 4);
  EXPECT_FALSE(doc.isModified());  // back to what the file holds
  doc.redo();
  EXPECT_TRUE(doc.isModified());
  doc.undo();
  doc.undo();
  EXPECT_TRUE(doc.isModified());  // the melody before the file was changed
  EXPECT_EQ(doc.melody().size(), 1);
  EXPECT_TRUE(doc.filePath().isEmpty());

  // A file the reader refuses changes nothing and leaves no step.
  const int steps = doc.undoCount();
  const QString bad = write(QStringLiteral("bad.mid"), "not a midi file at all");
  EXPECT_EQ(doc.openFile(bad, 10).result, -1);
  EXPECT_EQ(doc.melody().size(), 1);
  EXPECT_EQ(doc.undoCount(), steps);
  EXPECT_EQ(doc.openFile(dir_.filePath("missing.rtx"), 7).result, -1);
}

TEST_F(DocumentLibrary, ExportForPlay) {
  pxvbMelody m;
  m.addevent(4, 0, 1, 60, 100);
  const QString path = dir_.filePath(QStringLiteral("play.mid"));
  write(QStringLiteral("play.mid"), "old");
  PlayExport e = ExportForPlay(m, path);
  ASSERT_EQ(e.status, PlayExport::Ok);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("MThd"));

  const QList<int> none;
  EXPECT_EQ(ExportForPlay(m, path, &none).status, PlayExport::Nothing);
  // Something that cannot be removed stands where the file goes.
  const QString blocked = dir_.filePath(QStringLiteral("blocked.mid"));
  ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
  EXPECT_EQ(ExportForPlay(m, blocked).status, PlayExport::CannotReplace);
  EXPECT_EQ(ExportForPlay(m, QString()).status, PlayExport::NotWritten);
  EXPECT_EQ(ExportForPlay(m, dir_.filePath(QStringLiteral("no/such/dir/play.mid"))).status,
            PlayExport::LibraryFailed);
}

}  // namespace
