// FluidSynth helpers shared by the live synthesizer and the offline renderer.
#pragma once

#include <fluidsynth.h>

#include <QString>

#include <cstdint>

namespace pxmidi {

// Routes FluidSynth's log into a buffer (nothing is printed); idempotent.
void installFluidLog();
// The last error FluidSynth logged, emptied by the call.
QString takeFluidError();
// A synthesizer with the General MIDI SoundFont loaded; null with the reason in error.
fluid_synth_t* newSynth(fluid_settings_t* settings, QString* error);
// Plays one packed short message on the synthesizer; false when it refused it.
bool dispatchShortMsg(fluid_synth_t* synth, uint32_t packed);

}  // namespace pxmidi
