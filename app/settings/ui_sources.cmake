target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmoptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/placewindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmoptions_tabs.cpp
)
target_sources(pealixui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ui/synthoptionsbox.cpp)
