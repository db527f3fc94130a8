# The score view widget itself: repaints of a 1920 x 1080 view at each redraw level.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
fretlark_bench(bench_view_widget ${CMAKE_CURRENT_LIST_DIR}/view_widget_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/ScoreFactory.cpp)
target_link_libraries(bench_view_widget PRIVATE fretlark_ui)
target_include_directories(bench_view_widget PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
