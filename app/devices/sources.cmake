target_sources(pealixcore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/deviceplugin.cpp)
