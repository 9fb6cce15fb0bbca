target_sources(gorse_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tspylist.h ${CMAKE_CURRENT_LIST_DIR}/tspylist.cpp)
