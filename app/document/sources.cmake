target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/meloformatprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/meloformatcheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melodydocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eventlistmodel.cpp
)
