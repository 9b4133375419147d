target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/smfscan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/channeloverview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melodyline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ringtonefit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/songhook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/songmelody.cpp
)
