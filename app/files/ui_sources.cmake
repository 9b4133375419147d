target_sources(pealixui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmmidiopendlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/frmlistchoice.cpp
)
