// The pieces of the device plugin, shared between its files.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "playback/midiout.h"

namespace pxplugin {

// ALSA's library writes its own messages to standard error unless told otherwise; this
// silences it (idempotent).
void quietAlsa();

// The MIDI sequencer's output ports (RtMidi on the ALSA sequencer).
QStringList listPorts(QString* error);
std::unique_ptr<pxmidi::MidiOutput> openPort(int index, QString* error);

}  // namespace pxplugin
