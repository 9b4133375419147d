// The main window over a fresh start, for the tests that drive it: one application object,
// the libraries and language files of the build, the settings in the test's own folder,
// the message boxes recorded ("title|text") and answered, the file dialogs answered with
// nextPath_ / nextFilter_, and the first MIDI channel offered taken.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <memory>

#include "languages/reslang.h"
#include "mainwindow/appstate.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/rvmelodyapi.h"
#include "phonelink/rvsmsapi.h"

namespace pxtest {

inline QApplication* WindowApplication() {
  static int argc = 1;
  static char name[] = "pealix_window_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WindowApplication();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  void SetUp() override { startWindow(); }
  void TearDown() override {
    if (window_) window_->document().setModified(false);
    window_.reset();
  }

  // A window over a fresh start with the settings kept in the test folder.
  void startWindow() {
    window_.reset();
    state_ = std::make_unique<AppState>();
    StartUp(*state_, {},
            std::make_unique<pxsettings::SettingsStore>(
                pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf")))));
    window_ = std::make_unique<frmMain>(*state_);
    window_->messageHook = [this](QMessageBox::Icon, const QString& title, const QString& text,
                                  QMessageBox::StandardButtons) {
      messages_ << title + QLatin1Char('|') + text;
      return answers_.isEmpty() ? answer_ : answers_.takeFirst();
    };
    window_->openFileDialog = [this](const QString& title, const QString& dir,
                                     const QString& filters, QString* filter) {
      dialogTitles_ << title;
      dialogDirs_ << dir;
      offeredFilters_ = filters;
      if (!nextFilter_.isEmpty()) *filter = nextFilter_;
      return nextPath_;
    };
    window_->saveFileDialog = window_->openFileDialog;
    window_->midiChannelChooser = [this](int mask) {
      offeredMask_ = mask;
      if (channel_ > 0) return channel_;
      for (int c = 0; c < 16; ++c)
        if (mask & (1 << c)) return c + 1;
      return 999;
    };
  }
  void trigger(const char* name) {
    QAction* a = window_->command(name);
    ASSERT_NE(a, nullptr) << name;
    ASSERT_TRUE(a->isEnabled()) << name;
    a->trigger();
  }
  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void openVia(const QString& path, const QString& filter = {}) {
    nextPath_ = path;
    nextFilter_ = filter;
    trigger("mnuFileOpen");
  }
  pxvbMelody& melody() { return window_->document().melody(); }

  QTemporaryDir dir_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<frmMain> window_;
  QStringList messages_;
  QList<QMessageBox::StandardButton> answers_;            // the next answers, in order
  QMessageBox::StandardButton answer_ = QMessageBox::No;  // then this one
  QStringList dialogTitles_, dialogDirs_;
  QString nextPath_, nextFilter_, offeredFilters_;
  int channel_ = 0;  // the MIDI channel to choose; 0 the first one offered
  int offeredMask_ = -1;
};

}  // namespace pxtest
