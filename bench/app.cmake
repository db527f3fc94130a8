# Start-up of the editor window (offscreen), from InitInstance to a painted window.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(bench_app ${CMAKE_CURRENT_SOURCE_DIR}/app_startup_bench.cpp)
target_link_libraries(bench_app PRIVATE fretlark_ui benchmark::benchmark)
fretlark_warnings(bench_app)
