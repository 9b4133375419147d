target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/notedisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmnoteview.cpp
)
