cw_bench(plan SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PlanBench.cpp DEPS plotr_plan navdb_test_support)
