# The board, its turn and the round results: the state machine in the core,
# the widgets that draw it in the user interface.
target_sources(gorse_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tallyhooks.h
  ${CMAKE_CURRENT_LIST_DIR}/board.h
  ${CMAKE_CURRENT_LIST_DIR}/board.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boardresults.cpp)

target_sources(gorse_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cardart.h
  ${CMAKE_CURRENT_LIST_DIR}/cardart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boardwidgets.h
  ${CMAKE_CURRENT_LIST_DIR}/boardwidgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pwordspanel.h
  ${CMAKE_CURRENT_LIST_DIR}/pwordspanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/winnerpanel.h
  ${CMAKE_CURRENT_LIST_DIR}/winnerpanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boardview.h
  ${CMAKE_CURRENT_LIST_DIR}/boardview.cpp)
