# Recovery copies of a large score: what a keystroke may wait for, and the disk write behind it.
add_executable(bench_recovery ${CMAKE_CURRENT_SOURCE_DIR}/recovery_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_link_libraries(bench_recovery PRIVATE fretlark_appcore benchmark::benchmark)
target_include_directories(bench_recovery PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
fretlark_warnings(bench_recovery)
