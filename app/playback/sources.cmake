# MIDI output and playback. The synthesizer, the MIDI ports and the audio output are the
# device plugin's (plugins/devices); the core reaches them through playback/soundsystem.h.
target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/midiout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundsystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/synthsettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playschedule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playengine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modmidiplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavrender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audiofiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ringtoneexport.cpp
)
target_sources(pealixcore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/noteviewedit.cpp)
