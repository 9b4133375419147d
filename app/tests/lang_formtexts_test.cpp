// LoadFormTexts on a widget tree: which kinds of control take a caption, which only a
// tool tip, and which keep what they have.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "languages/ui/formtexts.h"
#include "languages/reslang.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "lang_formtexts_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

class FormTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
    FreeResModule();
    AppLanguages() = reslang();
    RegisterLanguages(AppLanguages());
  }
  void TearDown() override {
    FreeResModule();
    reslang::SetAppDirectory(QString());
  }
};

TEST_F(FormTextsTest, EachKindOfControlTakesItsTexts) {
  QMainWindow window;
  window.setProperty("Tag", "1000");
  window.setWindowTitle("design");
  auto* central = new QWidget(&window);
  auto* layout = new QVBoxLayout(central);
  window.setCentralWidget(central);

  auto* label = new QLabel("label", central);
  label->setProperty("Tag", 1046);
  auto* button = new QPushButton("button", central);
  button->setProperty("Tag", "1109");
  button->setProperty("ToolTipText", "1129");
  auto* keep = new QCheckBox("keep me", central);
  keep->setProperty("Tag", "0");
  auto* words = new QCheckBox("words", central);
  words->setProperty("Tag", "abc");
  auto* combo = new QComboBox(central);
  combo->setProperty("Tag", 1109);  // lists and text boxes take only the tool tip
  combo->setProperty("ToolTipText", 1057);
  auto* edit = new QLineEdit("typed", central);
  edit->setProperty("ToolTipText", "0");
  auto* list = new QTreeWidget(central);
  list->setProperty("ToolTipText", 1045);
  auto* tabs = new QTabWidget(central);
  auto* page1 = new QWidget;
  page1->setProperty("Tag", 1114);
  page1->setProperty("ToolTipText", 1130);
  tabs->addTab(page1, "one");
  tabs->addTab(new QWidget, "two");
  for (QWidget* w :
       {static_cast<QWidget*>(label), static_cast<QWidget*>(button), static_cast<QWidget*>(keep),
        static_cast<QWidget*>(words), static_cast<QWidget*>(combo), static_cast<QWidget*>(edit),
        static_cast<QWidget*>(list), static_cast<QWidget*>(tabs)})
    layout->addWidget(w);

  QMenu* file = window.menuBar()->addMenu("file");
  file->setProperty("Tag", 1001);
  QAction* open = file->addAction("open");
  open->setProperty("Tag", 1003);
  file->addSeparator();
  QAction* untagged = file->addAction("untagged");
  QToolBar* bar = window.addToolBar("bar");
  QAction* play = bar->addAction("play");
  play->setProperty("ToolTipText", 1050);
  window.statusBar()->setProperty("Tag", 1058);
  window.statusBar()->showMessage("status");

  LoadFormTexts(&window);

  EXPECT_EQ(window.windowTitle(), "Pealix - Ringtone Editor");
  EXPECT_EQ(label->text(), "Tempo (&BPM)");
  EXPECT_EQ(button->text(), "Send");
  EXPECT_EQ(button->toolTip(), "Send the chosen item to the phone");
  EXPECT_EQ(keep->text(), "keep me");
  EXPECT_EQ(words->text(), "words");
  EXPECT_EQ(combo->currentText(), "");
  EXPECT_EQ(combo->toolTip(), "Check the melody against the limits of a phone format");
  EXPECT_EQ(edit->text(), "typed");
  EXPECT_EQ(edit->toolTip(), "");
  EXPECT_EQ(list->toolTip(), "Events:");
  EXPECT_EQ(tabs->tabText(0), "Status");
  EXPECT_EQ(tabs->tabToolTip(0), "Stop the running transfer");
  EXPECT_EQ(tabs->tabText(1), "two");
  EXPECT_EQ(file->title(), "&File");
  EXPECT_EQ(file->menuAction()->text(), "&File");
  EXPECT_EQ(open->text(), "&Open...");
  EXPECT_EQ(untagged->text(), "untagged");
  EXPECT_EQ(play->toolTip(), "Play the melody");
  EXPECT_EQ(window.statusBar()->currentMessage(), "status");
}

TEST_F(FormTextsTest, TextsFollowTheCurrentLanguageAndFlagReleasesTheLibrary) {
  AppLanguages().SetLang(0);
  QWidget window;
  window.setProperty("Tag", 1200);
  auto* ok = new QPushButton("ok", &window);
  ok->setProperty("Tag", 1202);
  LoadFormTexts(&window, -1);
  EXPECT_EQ(window.windowTitle(), "Optionen");
  EXPECT_EQ(ok->text(), "Abbrechen");
  // Released: the next window loads the language chosen now.
  AppLanguages().SetLang(2);
  LoadFormTexts(&window);
  EXPECT_EQ(ok->text(), "Annuler");
  LoadFormTexts(nullptr);
}

}  // namespace
