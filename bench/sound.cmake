fretlark_bench(bench_sound ${CMAKE_CURRENT_LIST_DIR}/sound_mixer_bench.cpp)
target_link_libraries(bench_sound PRIVATE fretlark_sound)
