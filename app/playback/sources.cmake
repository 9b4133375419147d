# MIDI output and playback: FluidSynth (built-in synthesizer and offline rendering),
# RtMidi (ALSA sequencer ports) and ALSA itself (to keep its messages off the terminal).
# Only the libraries are taken from pkg-config; their headers sit in the system folders.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PEALIX_SOUND REQUIRED fluidsynth rtmidi alsa)
target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/midiout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midiout_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playschedule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playengine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modmidiplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavrender.cpp
)
target_link_libraries(pealixcore PRIVATE ${PEALIX_SOUND_LINK_LIBRARIES})
target_sources(pealixcore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/noteviewedit.cpp)
