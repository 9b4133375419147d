target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/hosthooks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/meloformatrows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain_playback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmmain_cable.cpp
)
