target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/settingsstore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reslang.cpp
)
target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tempfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainsettings.cpp
)
