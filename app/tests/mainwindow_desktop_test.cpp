// The main window as a desktop meets it: pictures on its commands with or without an icon
// theme, and a screen reader finding a name on every control it can reach, the range
// check in words and the note display's selected event.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "document/appstate.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "mainwindow/ui/commandicons.h"
#include "mainwindow/ui/frmmain.h"
#include "mainwindow/ui/meloformatrows.h"
#include "melody/rvmelodyapi.h"
#include "playback/ui/notedisplay.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "mainwindow_desktop_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

// The share of pixels of a 16-pixel picture that are not transparent.
double coverage(const QIcon& icon) {
  const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return 0;
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
  return double(opaque) / (image.width() * image.height());
}

class MainWindowDesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  void SetUp() override {
    // A bare desktop: no icon theme at all.
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QString());
  }
  void TearDown() override {
    if (window_) window_->document().setModified(false);
    window_.reset();
    state_.reset();
    FreeResModule();
  }
  frmMain& start() {
    FreeResModule();
    AppLanguages() = reslang();
    state_ = std::make_unique<AppState>();
    StartUp(*state_, {},
            std::make_unique<pxsettings::SettingsStore>(
                pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf")))));
    window_ = std::make_unique<frmMain>(*state_);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    return *window_;
  }
  // Notes straight into the document (key 0: a pause).
  void load(std::initializer_list<int> keys) {
    pxvbMelody& m = state_->document.melody();
    m.resize(0);
    for (int k : keys) m.addevent(4, 0, k ? 1 : 16, k, k ? 100 : 0);
    window_->enableEditing();
  }

  QTemporaryDir dir_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<frmMain> window_;
};

TEST_F(MainWindowDesktopTest, CommandsHavePicturesWithoutAnIconTheme) {
  frmMain& w = start();
  for (const char* name : {"mnuFileNew", "mnuFileOpen", "mnuFileSave"}) {
    QAction* a = w.command(name);
    ASSERT_NE(a, nullptr) << name;
    EXPECT_GT(coverage(a->icon()), 0.2) << name << " shows no picture";
  }
  // Every command the program draws a picture for has it at each size it is drawn in.
  int drawn = 0;
  for (const frmMain::Command& c : frmMain::CommandTable()) {
    const QString icon = CommandIconName(c.name);
    if (icon.isEmpty()) continue;
    ++drawn;
    for (int size : {16, 24, 32, 48})
      EXPECT_TRUE(QFile::exists(QStringLiteral(":/icons/png/%1/%2.png").arg(size).arg(icon)))
          << qPrintable(icon) << " " << size;
    EXPECT_GT(coverage(w.command(c.name)->icon()), 0.1) << c.name;
  }
  EXPECT_GE(drawn, 10);
  EXPECT_TRUE(FallbackIcon(QStringLiteral("no-such-icon")).isNull());
}

TEST_F(MainWindowDesktopTest, IconThemeWinsOverTheProgramsDrawing) {
  // A theme with a single red document-new.
  QTemporaryDir themes;
  const QString theme = themes.filePath(QStringLiteral("plain"));
  ASSERT_TRUE(QDir().mkpath(theme + QStringLiteral("/16x16/actions")));
  QFile index(theme + QStringLiteral("/index.theme"));
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write(
      "[Icon Theme]\nName=plain\nDirectories=16x16/actions\n\n"
      "[16x16/actions]\nSize=16\nType=Fixed\n");
  index.close();
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(theme + QStringLiteral("/16x16/actions/document-new.png")));
  QIcon::setThemeSearchPaths({themes.path()});
  QIcon::setThemeName(QStringLiteral("plain"));
  const QImage shown = CommandIcon("mnuFileNew").pixmap(16, 16).toImage();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(QColor(shown.pixel(8, 8)), QColor(Qt::red));
  // A name the theme lacks still gets the program's drawing.
  EXPECT_GT(coverage(CommandIcon("mnuFileOpen")), 0.2);
}

// Every control that takes the keyboard focus, with what a screen reader calls it.
void collectUnnamed(QAccessibleInterface* iface, QStringList& unnamed, int depth = 0) {
  if (!iface || depth > 40) return;
  const QAccessible::State state = iface->state();
  if (state.focusable && !state.invisible && iface->text(QAccessible::Name).trimmed().isEmpty()) {
    const QObject* o = iface->object();
    unnamed << QStringLiteral("%1 (role %2)")
                   .arg(o ? o->objectName() + QLatin1Char(' ') + o->metaObject()->className()
                          : QStringLiteral("?"))
                   .arg(int(iface->role()));
  }
  for (int i = 0; i < iface->childCount(); ++i) collectUnnamed(iface->child(i), unnamed, depth + 1);
}

TEST_F(MainWindowDesktopTest, EveryFocusableControlHasAName) {
  frmMain& w = start();
  load({72, 74, 0, 76});
  QStringList unnamed;
  collectUnnamed(QAccessible::queryAccessibleInterface(&w), unnamed);
  EXPECT_TRUE(unnamed.isEmpty()) << qPrintable(unnamed.join(QStringLiteral("\n")));
  // The event list says what it holds.
  QWidget* list = w.findChild<QWidget*>(QStringLiteral("liwNoten"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name),
            GetResString(2409));
  // A cell without warnings is heard as "none", one with warnings by its text.
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleInterface* quiet = table->tableInterface()->cellAt(0, 3);
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(quiet->text(QAccessible::Name), GetResString(2411));
  const QModelIndex event = qobject_cast<QAbstractItemView*>(list)->model()->index(0, 2);
  EXPECT_EQ(table->tableInterface()->cellAt(0, 2)->text(QAccessible::Name),
            event.data().toString().trimmed());
}

TEST_F(MainWindowDesktopTest, RangeCheckSaysItsResultInWords) {
  frmMain& w = start();
  // Three notes far above every phone's range, two inside it.
  load({72, 120, 121, 122, 74});
  w.runFormatCheck();
  clCMeloFormatCheck* check = w.formatCheck();
  ASSERT_NE(check, nullptr);
  ASSERT_EQ(check->counter(0, 0)->text(), QStringLiteral("3"));
  const QString tooHigh = GetResString(1079) + QStringLiteral(": 3");
  EXPECT_EQ(check->counter(0, 0)->accessibleName(), tooHigh);
  EXPECT_EQ(check->counter(0, 0)->toolTip(), tooHigh);
  EXPECT_EQ(check->counter(0, 1)->accessibleName(), GetResString(1080) + QStringLiteral(": 0"));
  // The row's format choice, which the keyboard reaches, carries the whole result.
  QAccessibleInterface* choice = QAccessible::queryAccessibleInterface(check->choice(0));
  EXPECT_FALSE(choice->text(QAccessible::Name).isEmpty());
  EXPECT_TRUE(choice->text(QAccessible::Description).contains(tooHigh))
      << qPrintable(choice->text(QAccessible::Description));
  EXPECT_EQ(check->RowText(0), choice->text(QAccessible::Description));
  // The tempo verdict is a word and a sign, not a colour alone.
  QFrame* tempo = check->tempoShape(0);
  const QString verdict = tempo->accessibleName();
  EXPECT_TRUE(verdict == GetResString(1084) + QStringLiteral(": ") + GetResString(2404) ||
              verdict == GetResString(1084) + QStringLiteral(": ") + GetResString(2405) ||
              verdict == GetResString(1084) + QStringLiteral(": ") + GetResString(2406))
      << qPrintable(verdict);
  auto* mark = tempo->findChild<QLabel*>();
  ASSERT_NE(mark, nullptr);
  EXPECT_FALSE(mark->text().isEmpty());
  // Greyed out again, the rows say they were not checked.
  check->Set2GreyRange12(0);
  EXPECT_EQ(check->counter(0, 0)->accessibleName(),
            GetResString(1079) + QStringLiteral(": ") + GetResString(2408));
  EXPECT_TRUE(mark->text().isEmpty());
}

TEST_F(MainWindowDesktopTest, NoteDisplayTellsTheSelectedEvent) {
  AppLanguages() = reslang();
  RegisterLanguages(AppLanguages());
  pxvbMelody melody;
  melody.addevent(4, 0, 1, 72, 100);
  melody.addevent(8, 1, 1, 76, 100);
  melody.addevent(2, 0, 16, 0, 0);
  NoteDisplay display;
  display.setMelody(&melody);
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&display);
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->text(QAccessible::Name), GetResString(2400));
  EXPECT_TRUE(iface->text(QAccessible::Description).contains(GetResString(2403)));
  display.setSelected(1);
  EXPECT_EQ(display.selectionText(), GetResString(2402).arg(2).arg(3).arg("E6").arg("8 ."));
  EXPECT_TRUE(iface->text(QAccessible::Description).contains(display.selectionText()));
  // The description follows the selection, and a shrunk melody drops a lost selection.
  display.setSelected(2);
  EXPECT_TRUE(display.selectionText().contains(GetResString(14)));
  melody.resize(1);
  display.refresh();
  EXPECT_EQ(display.selectionText(), GetResString(2403));
}

TEST_F(MainWindowDesktopTest, PictureOnlyToolButtonsAreNamedByTheirToolTip) {
  AppLanguages() = reslang();
  RegisterLanguages(AppLanguages());
  QMainWindow window;
  auto* bar = window.addToolBar(QStringLiteral("bar"));
  QPixmap picture(16, 16);
  picture.fill(Qt::blue);
  QAction* a = bar->addAction(QIcon(picture), QStringLiteral("n4"));
  a->setProperty("ToolTipText", 1052);
  QAction* textOnly = bar->addAction(QStringLiteral("Words"));
  LoadFormTexts(&window);
  auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name),
            GetResString(1052));
  auto* words = qobject_cast<QToolButton*>(bar->widgetForAction(textOnly));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(words)->text(QAccessible::Name),
            QStringLiteral("Words"));
}

}  // namespace
