target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmoptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/placewindow.cpp
)
