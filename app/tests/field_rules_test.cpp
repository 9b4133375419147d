// The field rules the windows ask (digits-only fields, the phone number, the options
// window's line size and service-centre type), checked without a display.
#include <gtest/gtest.h>

#include "common/keyinput.h"
#include "phonelink/linkfields.h"

namespace {

TEST(FieldRules, DigitsOnlyFieldsTakeDigitsEditingKeysAndShortcuts) {
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  EXPECT_TRUE(keyinput::DigitsOnlyAccepts(Qt::Key_7, none, "7"));
  for (int key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Tab, Qt::Key_Return,
                  Qt::Key_Escape, Qt::Key_Up})
    EXPECT_TRUE(keyinput::DigitsOnlyAccepts(key, none, QString())) << key;
  EXPECT_TRUE(keyinput::DigitsOnlyAccepts(Qt::Key_V, Qt::ControlModifier, "\x16"));
  for (const char* text : {"a", "-", "+", " ", "12", ""})
    EXPECT_FALSE(keyinput::DigitsOnlyAccepts(Qt::Key_A, none, QString::fromLatin1(text))) << text;
}

TEST(FieldRules, PhoneNumberKeysAndCleaning) {
  using linkfields::NumberKey;
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  for (const char* text : {"0", "9", " ", "(", ")", "-", "/"}) {
    const auto v = NumberKey(0, none, QString::fromLatin1(text), false);
    EXPECT_TRUE(v.accept && !v.beep && !v.international) << text;
  }
  // A "+" that starts the number (empty field, or all of it selected) means international.
  EXPECT_TRUE(NumberKey(Qt::Key_Plus, none, "+", true).international);
  const auto midPlus = NumberKey(Qt::Key_Plus, none, "+", false);
  EXPECT_TRUE(midPlus.accept);
  EXPECT_FALSE(midPlus.international);
  const auto letter = NumberKey(Qt::Key_A, none, "a", false);
  EXPECT_FALSE(letter.accept);
  EXPECT_TRUE(letter.beep);
  // Shortcuts: paste is remembered, copy and cut pass, others are dropped silently.
  const auto paste = NumberKey(Qt::Key_V, Qt::ControlModifier, "\x16", false);
  EXPECT_TRUE(paste.accept && paste.pasting);
  EXPECT_TRUE(NumberKey(Qt::Key_C, Qt::ControlModifier, "\x03", false).accept);
  const auto selectAll = NumberKey(Qt::Key_A, Qt::ControlModifier, "\x01", false);
  EXPECT_FALSE(selectAll.accept || selectAll.beep);
  EXPECT_TRUE(NumberKey(Qt::Key_Backspace, none, "\b", false).accept);

  EXPECT_EQ(linkfields::CleanNumber("+49 (0)171-123/45 x9\u00e9"), "+49 (0)171-123/45 9");
  EXPECT_EQ(linkfields::CleanNumber("abc"), "");
  EXPECT_TRUE(linkfields::PastedInternational("+4917"));
  EXPECT_FALSE(linkfields::PastedInternational("04917+"));
}

TEST(FieldRules, OptionsLineSizeAndServiceCentreType) {
  using linkfields::AtLineSizeForChoice;
  EXPECT_EQ(AtLineSizeForChoice(1, 80), 80);  // a longer stored size is kept
  EXPECT_EQ(AtLineSizeForChoice(1, 1), 1);
  EXPECT_EQ(AtLineSizeForChoice(1, 0), 60);
  EXPECT_EQ(AtLineSizeForChoice(1, -5), 60);
  EXPECT_EQ(AtLineSizeForChoice(0, 80), 0);  // default: one line
  EXPECT_EQ(AtLineSizeForChoice(-1, 80), 0);

  using linkfields::SmscTypeForChoice;
  EXPECT_EQ(SmscTypeForChoice(true, 1), 0);
  EXPECT_EQ(SmscTypeForChoice(true, 2), 0);
  EXPECT_EQ(SmscTypeForChoice(false, 0), 1);
  EXPECT_EQ(SmscTypeForChoice(false, 2), 2);
}

}  // namespace
