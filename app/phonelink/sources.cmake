target_sources(pealixcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clcommprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clsmsprops.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rvsmsapi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modpdu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portchoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statustext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/datacablesession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cablemessage.cpp
)
find_package(Qt6 REQUIRED COMPONENTS SerialPort)
target_link_libraries(pealixcore PUBLIC Qt6::SerialPort)
