target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/notedisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmnoteview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmnoteview_bars.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmringtone.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/midisetuppanel.cpp
)
