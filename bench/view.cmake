# Score view: layout of a large score and one full paint of a 1920 x 1080 view.
fretlark_bench(bench_view ${CMAKE_CURRENT_LIST_DIR}/view_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_link_libraries(bench_view PRIVATE fretlark_canvas)
target_include_directories(bench_view PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
