// The format catalogue: every row is reachable where it says (the command line, the open
// and save dialogs, the clipboard menus, the range check), and every row that writes a
// melody reads it back when it reads at all.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <tuple>

#include "cli_process.h"
#include "document/meloformatcheck.h"
#include "document/meloformatprops.h"
#include "files/cliptransfer.h"
#include "files/filecommands.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/formatcatalogue.h"
#include "melody/rvmelodyapi.h"
#include "melody_fixtures.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/rvsmsapi.h"
#include "settings/mainsettings.h"
#include "songs/ringtonefit.h"
#include "songs/songmelody.h"

namespace {

namespace fc = formatcatalogue;

pxvbMelody sample() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Row"));
  m.setbpm(125);
  m.addevent(4, 0, 1, 72, 127);
  m.addevent(8, 0, 1, 74, 127);
  m.addevent(8, 0, 16);
  m.addevent(4, 1, 1, 79, 127);
  m.addevent(8, 0, 1, 77, 127);
  return m;
}

QList<int> keys(const pxvbMelody& m) {
  QList<int> out;
  for (int i = 0; i < m.size(); ++i)
    if (m.getEvent(i) == 1) out << m.getEventVal1(i);
  return out;
}

class FormatCatalogueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  QTemporaryDir dir_;
  MainSettings options_;
  clSMSProps sms_;
};

TEST_F(FormatCatalogueTest, RowsAreWellFormed) {
  QSet<QString> names;
  QSet<int> ids, opens, saves, exports, imports, checks;
  for (const fc::Format& f : fc::Formats()) {
    EXPECT_FALSE(names.contains(QLatin1String(f.cliName))) << f.cliName;
    names << QLatin1String(f.cliName);
    EXPECT_EQ(fc::ByName(f.cliName), &f);
    if (f.id != 0) {
      EXPECT_FALSE(ids.contains(f.id)) << f.cliName;
      ids << f.id;
      EXPECT_EQ(fc::ById(f.id), &f);
    }
    EXPECT_TRUE(f.readable || f.writable) << f.cliName;
    // The dialogs open what the library (or the application's reader) reads.
    EXPECT_EQ(!f.open.empty(), f.readable && f.converter == fc::Converter::Library) << f.cliName;
    const auto once = [](QSet<int>& seen, int n) {
      EXPECT_FALSE(seen.contains(n)) << n;
      seen << n;
    };
    for (const fc::OpenEntry& e : f.open) once(opens, e.index);
    for (const fc::SaveEntry& e : f.save) once(saves, e.index);
    for (const fc::ClipExport& c : f.clipExports) once(exports, c.kind);
    for (const fc::ClipImport& c : f.clipImports) once(imports, c.kind);
    for (const fc::RangeRow& r : f.ranges) once(checks, r.checkId);
    if (f.rangeCheckId != 0) {
      const std::vector<const fc::RangeRow*> rows = fc::RangeRows();
      EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const fc::RangeRow* r) {
        return r->checkId == f.rangeCheckId;
      })) << f.cliName;
    }
  }
  EXPECT_EQ(fc::ByName("RTTTL"), fc::ById(7));
  EXPECT_EQ(fc::ByName("nothing"), nullptr);
  // Dialog positions and menu kinds run 1.. and 0.. without gaps.
  for (int i = 1; i <= opens.size(); ++i) EXPECT_TRUE(opens.contains(i)) << i;
  for (int i = 1; i <= saves.size(); ++i) EXPECT_TRUE(saves.contains(i)) << i;
  for (int i = 0; i < exports.size(); ++i) EXPECT_TRUE(exports.contains(i)) << i;
  for (int i = 0; i < imports.size(); ++i) EXPECT_TRUE(imports.contains(i)) << i;
}

TEST_F(FormatCatalogueTest, EveryRowIsReachableWhereItClaims) {
  const QString open = filecmd::OpenDialogFilters();
  const QString save = filecmd::SaveDialogFilters();
  clMeloFormatProps ranges;
  ranges.RegisterDefaultFormats();
  ranges.RegisterFitTargets();
  const QList<int> choices = meloformatcheck::FormatChoiceIds();

  const QString cli = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
  QString formatsList;
  if (QFileInfo(cli).isExecutable())
    formatsList = QString::fromUtf8(runProcess(cli, {"formats"}).output);

  for (const fc::Format& f : fc::Formats()) {
    for (const fc::OpenEntry& e : f.open) {
      const QString text = filecmd::DialogFilterText(QLatin1String(e.filterText));
      EXPECT_TRUE(open.split(QStringLiteral(";;")).contains(text)) << e.filterText;
      EXPECT_EQ(filecmd::OpenFilterIndex(text), e.index) << e.filterText;
      EXPECT_EQ(filecmd::OpenFileType(e.index), e.fileType) << e.filterText;
      EXPECT_EQ(filetables::FormatIdForFileType(e.fileType), f.id) << e.filterText;
    }
    for (const fc::SaveEntry& e : f.save) {
      const QString text = filecmd::DialogFilterText(QLatin1String(e.filterText));
      EXPECT_TRUE(save.split(QStringLiteral(";;")).contains(text)) << e.filterText;
      EXPECT_EQ(filecmd::SaveFilterIndex(text), e.index) << e.filterText;
    }
    for (const fc::ClipExport& c : f.clipExports) {
      const auto& table = frmMain::CommandTable();
      EXPECT_TRUE(std::any_of(table.begin(), table.end(), [&](const frmMain::Command& m) {
        return qstrcmp(m.name, c.action) == 0 && qstrcmp(m.menu, c.menu) == 0 && m.kind == c.kind &&
               (m.flags & frmMain::kClipExport);
      })) << c.action;
      EXPECT_EQ(cliptransfer::ExportFormatOf(static_cast<cliptransfer::Export>(c.kind), options_)
                    .formatId,
                f.id)
          << c.action;
    }
    for (const fc::ClipImport& c : f.clipImports) {
      const auto& table = frmMain::CommandTable();
      EXPECT_TRUE(std::any_of(table.begin(), table.end(), [&](const frmMain::Command& m) {
        return qstrcmp(m.name, c.action) == 0 && m.kind == c.kind &&
               (m.flags & frmMain::kClipImport);
      })) << c.action;
    }
    for (const fc::RangeRow& r : f.ranges) {
      int high = 0, low = 0, longest = 0, shortest = 0, events = 0, tempo = 0;
      ASSERT_EQ(ranges.FGetRange1(r.checkId, high, low, longest, shortest), 1) << r.checkId;
      ASSERT_EQ(ranges.FGetRange2(r.checkId, events, tempo), 1) << r.checkId;
      EXPECT_EQ(std::tie(high, low, longest, shortest, events, tempo),
                std::tie(r.highNote, r.lowNote, r.longest, r.shortest, r.maxEvents, r.highTempo));
      if (r.choicePosition >= 0) {
        EXPECT_EQ(choices.value(r.choicePosition), r.checkId);
      }
      EXPECT_TRUE(meloformatcheck::FitTargetIds().contains(r.checkId)) << r.checkId;
    }
    if (formatsList.isEmpty()) continue;
    // "name id read write extensions description"
    bool listed = false;
    for (const QString& line : formatsList.split('\n')) {
      const QStringList words = line.split(' ', Qt::SkipEmptyParts);
      if (words.size() < 4 || words[0] != QLatin1String(f.cliName)) continue;
      listed = true;
      EXPECT_EQ(words[2] == "yes", f.readable) << line.toStdString();
      EXPECT_EQ(words[3] == "yes", f.writable) << line.toStdString();
      for (const fc::SaveEntry& e : f.save)
        if (filetables::SaveFilterForFile(QStringLiteral("x") + e.extension)->index == e.index) {
          EXPECT_TRUE(line.contains(QLatin1String(e.extension))) << line.toStdString();
        }
    }
    EXPECT_TRUE(listed) << f.cliName;
  }
}

// A song can be fitted to the Flipper Zero by its command-line name: the whole MIDI range
// from C0, no event limit, any tempo up to 999.
TEST_F(FormatCatalogueTest, TheFlipperRowIsAFitTarget) {
  const int id = songs::FitFormatIdByName(QStringLiteral("FMF"));
  EXPECT_EQ(id, fc::ById(id)->rangeCheckId);
  EXPECT_TRUE(songs::FitFormatNames().contains(QStringLiteral("fmf")));
  EXPECT_FALSE(meloformatcheck::FormatChoiceIds().contains(id));  // not a range-check choice
  clMeloFormatProps formats;
  formats.RegisterDefaultFormats();
  formats.RegisterFitTargets();
  songs::FitTarget target;
  ASSERT_TRUE(songs::TargetForFormat(formats, id, target));
  EXPECT_EQ(target.lowKey, 12);
  EXPECT_EQ(target.highKey, 127);
  EXPECT_EQ(target.maxEvents, -1);
  EXPECT_EQ(target.highTempo, 999);
}

// Every row that writes through a dialog writes the sample; every one that reads too
// reads its own file back with the sample's notes.
TEST_F(FormatCatalogueTest, RoundTripOverEveryRow) {
  const pxvbMelody m = sample();
  for (const fc::Format& f : fc::Formats()) {
    if (!f.writable) continue;
    if (f.save.empty()) {
      ASSERT_FALSE(f.clipExports.empty()) << f.cliName;
      const auto kind = static_cast<cliptransfer::Export>(f.clipExports.front().kind);
      const cliptransfer::TextResult t = cliptransfer::ExportText(m, kind, options_, sms_, res);
      EXPECT_EQ(t.status.result, 1) << f.cliName;
      EXPECT_FALSE(t.text.isEmpty()) << f.cliName;
      continue;
    }
    const filetables::SaveFilter* save = nullptr;
    for (const filetables::SaveFilter& s : filetables::SaveFilters())
      if (s.index == f.save.back().index) save = &s;
    ASSERT_NE(save, nullptr);
    const QString path = filecmd::SavePath(dir_.filePath(QLatin1String(f.cliName)), *save);
    const filecmd::Result written = filecmd::SaveMelodyFile(m, path, *save, options_, res);
    ASSERT_EQ(written.result, 1) << f.cliName << " " << written.errorText.toStdString();
    if (!f.readable || f.open.empty()) continue;
    pxvbMelody back;
    const filecmd::Result r = filecmd::OpenMelodyFile(
        back, path, f.open.front().fileType, [](int) { return 1; }, res);
    ASSERT_EQ(r.result, 1) << f.cliName << " " << r.errorText.toStdString();
    EXPECT_EQ(keys(back), keys(m)) << f.cliName;
    EXPECT_EQ(r.roundedEvents, 0) << f.cliName;
  }
}

}  // namespace
