target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/reslang.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktoplanguage.cpp
)
