# The board, its turn and the round results.
gorse_add_gtest(test_board
  ${CMAKE_CURRENT_LIST_DIR}/board_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boardresults_test.cpp)
gorse_add_qtest(test_boardview ${CMAKE_CURRENT_LIST_DIR}/boardview_test.cpp)
gorse_add_qtest(test_board_e2e ${CMAKE_CURRENT_LIST_DIR}/board_e2e_test.cpp)
