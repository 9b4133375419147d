target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/hosthooks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/meloformatrows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_playback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_cable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_formatcheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmain_ringtone.cpp
)
# The fallback command icons, drawn for desktops whose icon theme lacks them.
target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/commandicons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icons/commandicons.qrc
)
set_property(TARGET pealixui PROPERTY AUTORCC ON)
