target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clcommprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clsmsprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rvsmsapi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modpdu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portchoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serialline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statustext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/datacablesession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cablemessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/emsimelody.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linkfields.cpp
)
# The serial port itself is the device plugin's (plugins/devices), behind serialline.h.
