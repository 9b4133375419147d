// Shared by the file and clipboard tests: a stand-in for resource texts, and the melody a
// failed read or import must leave exactly as it was.
#pragma once

#include <gtest/gtest.h>

#include <QString>

#include "melody/pxvbmelody.h"

// Resource string n as "<n>", so a test can see which text a message used.
inline QString res(int n) {
  return QStringLiteral("<%1>").arg(n);
}

inline pxvbMelody existing() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Old"));
  m.addevent(16, 0, 1, 61, 90);
  return m;
}

inline void expectExisting(const pxvbMelody& m) {
  ASSERT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEventVal1(0), 61);
  EXPECT_EQ(m.sName(), QStringLiteral("Old"));
}
