cw_bench(map SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/MapBench.cpp DEPS plotr_map navdb_test_support)
