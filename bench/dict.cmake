# bench_dict: dictionary lookups per second over the built-in word list.
if(benchmark_FOUND)
  add_executable(bench_dict ${CMAKE_CURRENT_LIST_DIR}/dict_bench.cpp)
  target_link_libraries(bench_dict PRIVATE gorse_core benchmark::benchmark)
endif()
