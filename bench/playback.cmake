fretlark_bench(bench_playback ${CMAKE_CURRENT_SOURCE_DIR}/playback_render_bench.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_include_directories(bench_playback PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(bench_playback PRIVATE fretlark_render)
target_compile_definitions(bench_playback PRIVATE FRETLARK_BUILD_DIR="${CMAKE_BINARY_DIR}/")
