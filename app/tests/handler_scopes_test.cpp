// Message handlers that windows install for as long as they live: a window closed in
// between hands the messages back to the one before it, in whatever order they go.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>

#include <functional>
#include <optional>

#include "common/scopedhandler.h"
#include "phonelink/ui/frmdatacable.h"
#include "support/mainwindow_fixture.h"

namespace {

using Say = std::function<void(const QString&)>;

TEST(ScopedHandlerTest, TheLatestLivingHandlerHearsAndEachScopeRemovesOnlyItsOwn) {
  ScopedHandler<Say> handlers;
  QStringList heard;
  auto say = [&handlers] {
    if (const auto h = handlers.current()) (*h)(QStringLiteral("x"));
  };
  say();  // nobody listens: nothing happens
  ScopedHandler<Say>::Scope main = handlers.install([&](const QString&) { heard << "main"; });
  std::optional<ScopedHandler<Say>::Scope> cable =
      handlers.install([&](const QString&) { heard << "cable"; });
  ScopedHandler<Say>::Scope editor = handlers.install([&](const QString&) { heard << "editor"; });
  say();
  // The cable window goes first although the editor came after it.
  cable.reset();
  say();
  editor.reset();
  say();
  // A scope moved into another owner keeps its handler installed.
  ScopedHandler<Say>::Scope moved = std::move(main);
  EXPECT_FALSE(main.active());
  EXPECT_TRUE(moved.active());
  say();
  moved.reset();
  say();
  EXPECT_EQ(heard, QStringList({"editor", "editor", "main", "main"}));
  EXPECT_FALSE(handlers.current().has_value());
}

TEST(ScopedHandlerTest, AHandlerMayEndItsOwnScopeWhileItRunsAndScopesMayOutliveTheSlot) {
  std::optional<ScopedHandler<Say>::Scope> late;
  int calls = 0;
  {
    ScopedHandler<Say> handlers;
    std::optional<ScopedHandler<Say>::Scope> self;
    self = handlers.install([&](const QString& text) {
      self.reset();  // as a window that closes from its own message box
      ++calls;
      EXPECT_EQ(text, "once");
    });
    (*handlers.current())(QStringLiteral("once"));
    EXPECT_FALSE(handlers.current().has_value());
    late = handlers.install([&](const QString&) { ++calls; });
  }
  EXPECT_FALSE(late->active());
  late.reset();  // the slot is gone: nothing to remove, nothing to crash on
  EXPECT_EQ(calls, 1);
}

class WindowHandlersTest : public pxtest::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    answer_ = QMessageBox::Ok;
    trigger("mnuFileNew");
    // A destination the SMS library refuses, so the PDU export fails in the library.
    state_->sms.SetDestAdr(QStringLiteral("12x4"), 1);
  }
  frmDataCable* openCable() {
    trigger("mnuExtrasDataCable");
    auto* cable = window_->findChild<frmDataCable*>(QStringLiteral("frmDataCable"));
    if (cable)
      cable->setMessageBox(
          [this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            cableBoxes_ << text;
            return QMessageBox::Ok;
          });
    return cable;
  }
  void closeCable(frmDataCable* cable) {
    cable->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(window_->findChild<frmDataCable*>(QStringLiteral("frmDataCable")), nullptr);
  }

  QStringList cableBoxes_;
};

TEST_F(WindowHandlersTest, PduExportStillShowsItsBoxAfterTheDataCableWindowClosed) {
  frmDataCable* cable = openCable();
  ASSERT_NE(cable, nullptr);
  closeCable(cable);

  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  trigger("mnuFileClipExPDU");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("Pealix SMSSend - Error|")) << messages_[0].toStdString();
  EXPECT_TRUE(messages_[0].contains("Error #213")) << messages_[0].toStdString();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");

  // Open again: while it is open its own box takes the errors, and after it the main
  // window's box once more.
  cable = openCable();
  ASSERT_NE(cable, nullptr);
  trigger("mnuFileClipExPDU");
  EXPECT_EQ(cableBoxes_.size(), 1);
  closeCable(cable);
  trigger("mnuFileClipExPDU");
  EXPECT_EQ(messages_.size(), 2);
}

TEST_F(WindowHandlersTest, AWindowThatGoesTakesOnlyItsOwnHandlerWithIt) {
  // A second main window opened and closed while the first lives.
  {
    AppState other;
    StartUp(other, {},
            std::make_unique<pxsettings::SettingsStore>(
                pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Other.conf")))));
    frmMain second(other);
  }
  trigger("mnuFileClipExPDU");
  EXPECT_EQ(messages_.size(), 1);
}

}  // namespace
