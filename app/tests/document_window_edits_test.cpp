// The edits the windows hand to MelodyDocument (event editor, note view, clipboard import,
// New): each is one undoable step, and an edit that does not happen leaves no step.
#include <gtest/gtest.h>

#include "document/melodydocument.h"
#include "files/filecommands.h"

namespace {

pxvbNote note(int len, int key) {
  pxvbNote e;
  e.setiSimpleLen(len);
  e.setiDotLen(0);
  e.setnEvent(1);
  e.SetEventVal(key, 100);
  return e;
}

TEST(DocumentWindowEdits, EventEditorAppendAndReplaceAreUndoableAndOutOfRangeIsNoStep) {
  MelodyDocument doc;
  ASSERT_TRUE(doc.appendEvent(note(4, 60)));
  ASSERT_TRUE(doc.appendEvent(note(8, 62)));
  EXPECT_EQ(doc.melody().size(), 2);
  EXPECT_EQ(doc.melody().getEventVal1(1), 62);
  EXPECT_EQ(doc.undoCount(), 2);

  EXPECT_TRUE(doc.replaceEvent(0, note(16, 65)));
  EXPECT_EQ(doc.melody().getSimpleLen(0), 16);
  EXPECT_EQ(doc.melody().getEventVal1(0), 65);
  for (int index : {-1, 2, 1000}) EXPECT_FALSE(doc.replaceEvent(index, note(4, 70))) << index;
  EXPECT_EQ(doc.undoCount(), 3);
  EXPECT_TRUE(doc.isModified());

  ASSERT_TRUE(doc.undo());
  EXPECT_EQ(doc.melody().getEventVal1(0), 60);
  ASSERT_TRUE(doc.undo());
  EXPECT_EQ(doc.melody().size(), 1);
}

TEST(DocumentWindowEdits, NoteViewResultIsOneStepOnlyWhenSomethingChanged) {
  MelodyDocument doc;
  doc.appendEvent(note(4, 60));
  doc.setModified(false);
  const int steps = doc.undoCount();

  pxvbMelody same;
  same.assign(doc.melody());
  EXPECT_TRUE(doc.hasSameEvents(same));
  EXPECT_FALSE(doc.replaceMelody(same));
  EXPECT_EQ(doc.undoCount(), steps);
  EXPECT_FALSE(doc.isModified());

  // A changed tempo alone is a change.
  pxvbMelody faster;
  faster.assign(doc.melody());
  faster.setbpm(doc.melody().bpm() + 10);
  EXPECT_FALSE(doc.hasSameEvents(faster));
  EXPECT_TRUE(doc.replaceMelody(faster));
  EXPECT_EQ(doc.melody().bpm(), faster.bpm());
  EXPECT_EQ(doc.undoCount(), steps + 1);
  doc.undo();
  EXPECT_FALSE(doc.isModified());
}

TEST(DocumentWindowEdits, ClipboardImportAndNewMelody) {
  MelodyDocument doc;
  doc.setFile(QStringLiteral("/tmp/a.rtx"), 7);

  pxvbMelody unnamed;
  unnamed.addevent(8, 0, 1, 60, 100);
  unnamed.setsName(QString());
  const QString source = QStringLiteral("A clipboard text of more than twenty characters");
  doc.adoptImport(unnamed, source);
  EXPECT_EQ(doc.melody().sName(), source.left(20));
  EXPECT_EQ(doc.filePath(), source);
  EXPECT_EQ(doc.fileFormat(), -1);
  EXPECT_TRUE(doc.isModified());

  pxvbMelody named;
  named.addevent(8, 0, 1, 62, 100);
  named.setsName(QStringLiteral("Tune"));
  doc.adoptImport(named, source);
  EXPECT_EQ(doc.melody().sName(), "Tune");

  doc.newMelody(QStringLiteral("New melody"));
  pxvbMelody fresh;
  filecmd::MakeNewMelody(fresh);
  EXPECT_TRUE(doc.hasSameEvents(fresh));
  EXPECT_EQ(doc.filePath(), "New melody");
  EXPECT_FALSE(doc.isModified());
  // New is undoable back to the import, with that import's file.
  ASSERT_TRUE(doc.undo());
  EXPECT_EQ(doc.melody().sName(), "Tune");
  EXPECT_EQ(doc.filePath(), source);
}

}  // namespace
