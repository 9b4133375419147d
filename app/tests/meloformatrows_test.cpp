// The range check's rows of indicators: three rows bound to their controls, grey until a
// check runs, then coloured, and the numbers on the coloured labels stay readable when the
// desktop uses a dark colour scheme.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <cmath>
#include <utility>

#include "document/meloformatcheck.h"
#include "document/meloformatprops.h"
#include "mainwindow/ui/meloformatrows.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "meloformatrows_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

// Relative luminance of an 0x00BBGGRR colour or a QColor, 0 (black) .. 1 (white).
double luminance(const QColor& c) {
  const auto lin = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
QColor fromStored(int bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
double contrast(const QColor& a, const QColor& b) {
  double la = luminance(a), lb = luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

TEST(MeloFormatRows, ColouredNumbersStayReadableUnderADarkScheme) {
  app();
  const QPalette before = QApplication::palette();
  QPalette dark = before;
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    dark.setColor(group, QPalette::Window, QColor(40, 40, 40));
    dark.setColor(group, QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(group, QPalette::Base, QColor(30, 30, 30));
    dark.setColor(group, QPalette::Text, QColor(235, 235, 235));
  }
  QApplication::setPalette(dark);

  QWidget window;
  auto* grid = new QGridLayout(&window);
  auto* choice = new QComboBox(&window);
  auto* shape = new QFrame(&window);
  QLabel* labels[5];
  for (QLabel*& l : labels) l = new QLabel(&window);
  auto* tempo = new QFrame(&window);
  grid->addWidget(choice, 1, 0);
  for (int i = 0; i < 5; ++i) grid->addWidget(labels[i], 1, 1 + i);
  grid->addWidget(tempo, 1, 6);
  clCMeloFormatCheck rows;
  rows.InitFormatCheck(choice, shape, labels[0], labels[1], labels[2], labels[3], labels[4], tempo,
                       grid);
  rows.AddControl();
  rows.AddControl();
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ(rows.List2FormatId(0), 2);
  EXPECT_EQ(rows.List2FormatId(1), 9);
  EXPECT_EQ(rows.List2FormatId(2), 8);
  EXPECT_EQ(rows.List2FormatId(3), -1);

  const auto readable = [&rows](int row, const char* when) {
    QList<QLabel*> shown;
    for (int i = 0; i < 4; ++i) shown << rows.counter(row, i);
    shown << rows.remaining(row);
    for (QLabel* l : shown) {
      l->ensurePolished();
      const QColor text = l->palette().color(QPalette::WindowText);
      const QColor back = fromStored(clCMeloFormatCheck::ColourOf(l));
      EXPECT_GE(contrast(text, back), 4.5)
          << when << " row " << row << " " << l->objectName().toStdString() << " text "
          << text.name().toStdString() << " on " << back.name().toStdString();
    }
  };
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(clCMeloFormatCheck::ColourOf(rows.counter(row, 0)), meloformatcheck::kNeutral);
    readable(row, "grey");
  }

  // Sagem SMS: two notes too high and one too low, so green, yellow and red all show.
  clMeloFormatProps formats;
  formats.RegisterDefaultFormats();
  pxvbMelody m;
  for (int k : {90, 95, 40, 96}) m.addevent(4, 0, 1, k, 100);
  ASSERT_TRUE(rows.Check(formats, m, QString::number(m.size()), QStringLiteral("120")));
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(rows.counter(0, 0)), meloformatcheck::kRed);
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(rows.counter(0, 1)), meloformatcheck::kYellow);
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(rows.counter(0, 2)), meloformatcheck::kGreen);
  for (int row = 0; row < 3; ++row) readable(row, "checked");

  QApplication::setPalette(before);
}

}  // namespace
