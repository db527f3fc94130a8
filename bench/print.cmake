# Printing: paginating the benchmark score for A4 paper and writing its PDF.
fretlark_bench(bench_print ${CMAKE_CURRENT_LIST_DIR}/print_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_link_libraries(bench_print PRIVATE fretlark_print)
target_include_directories(bench_print PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
