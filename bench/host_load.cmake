# bench_load: nine clients against a gorse-host process; word round-trip
# latency, messages per second and the idle host's processor time.
add_executable(bench_load ${CMAKE_CURRENT_LIST_DIR}/load.cpp)
target_link_libraries(bench_load PRIVATE gorse_core)
add_dependencies(bench_load gorse-host)
