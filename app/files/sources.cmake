target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/composertext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sagemhex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filetables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filedetect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/memoryread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recentfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clipboardhost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filecommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/writechanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cliptransfer.cpp
)
