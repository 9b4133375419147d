target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clcommprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clsmsprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rvsmsapi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modpdu.cpp
)
