# Guitar Pro import speed over the sample files.
fretlark_bench(bench_gp ${CMAKE_CURRENT_SOURCE_DIR}/gp_import_bench.cpp)
target_link_libraries(bench_gp PRIVATE fretlark_model)
target_compile_definitions(bench_gp PRIVATE FRETLARK_GP_DATA="${CMAKE_SOURCE_DIR}/tests/data/gp")
target_compile_definitions(bench_gp PRIVATE FRETLARK_GP5_DATA="${CMAKE_SOURCE_DIR}/tests/data/gp5")
