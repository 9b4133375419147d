// The resource numbers of the note view's texts, shared by its files.
#pragma once

namespace noteview_res {

// Resource numbers of the window's texts.
enum Res : int {
  kResTitle = 1350,
  kResPlay = 1351,
  kResStop = 1352,
  kResIgnoreVolume = 1353,
  kResMidiSetup = 1354,
  kResOutDevice = 1355,
  kResInstrument = 1356,
  kResInsertNote = 1357,
  kResDeleteNote = 1358,
  kResZoomIn = 1359,
  kResZoomOut = 1360,
  kResHigher = 1362,
  kResLower = 1363,
  kResEvent = 1364,
  kResTempo = 1365,
  kResNatural = 1366,
  kResLegato = 1367,
  kResStaccato = 1368,
  kResConfirm = 1369,
  kResWholeNote = 1370,  // 1370..1376 notes 1/1..1/64, 1377..1383 pauses
  kResWholePause = 1377,
  kResDot = 1384,
  kResInsertAfter = 1385,
  kResStyleNatural = 1386,  // 1386..1388 style changes
  kResVolume = 1389,
  kResVolumeStep = 1390,
  kResPaste = 1391,
  kResInsertEvent = 1392,
  kResOctave = 1393,
  kResSelNote = 1394,
  kResTempoTip = 1395,
  kResTimeTip = 1396,
  kResPlayEnded = 1397,
  kResSetupHint = 1398,
  kResHigherTip = 1600,
  kResLowerTip = 1601,
  kResOkTip = 1602,
  kResCancelTip = 1603,
  kResStyleTip = 1604,
  kResOk = 1403,
  kResCancel = 1404,
  kResNoMidi = 390,
};

}  // namespace noteview_res
