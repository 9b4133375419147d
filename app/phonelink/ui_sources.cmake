target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmdatacable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmdatacable_fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmdatacable_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmdatacable_tools.cpp
)
