target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/settingsstore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/codepages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notefont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windowplacement.cpp
  # The code-page table and iconv check of the SMS library, shared with the options window.
  ${CMAKE_SOURCE_DIR}/smslib/src/codepage.cpp
)
target_include_directories(pealixcore PRIVATE ${CMAKE_SOURCE_DIR}/smslib/src)
target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tempfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainsettings.cpp
)
