target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmoptions.cpp
)
target_sources(pealixui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ui/synthoptionsbox.cpp)
