# The game options dialog.
target_sources(gorse_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tgamestart.h
  ${CMAKE_CURRENT_LIST_DIR}/tgamestart.cpp)
