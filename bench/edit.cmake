# Editing: one keystroke, from the key to the repainted window, on a long score.
fretlark_bench(bench_edit ${CMAKE_CURRENT_LIST_DIR}/edit_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_link_libraries(bench_edit PRIVATE fretlark_edit fretlark_canvas)
target_include_directories(bench_edit PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
