cw_bench(navdb SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/NavdbBench.cpp DEPS navdb navdb_test_support)
