cw_bench(autoroute SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/AutoRouteBench.cpp DEPS plotr_tools_model navdb_test_support)
