target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/librarybinding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rvmelodyapi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pxvbnote.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pxvbmelody.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rvtonehead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/titletext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/formatcatalogue.cpp
)
