cw_bench(plantable SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PlanTableBench.cpp DEPS plotr_views_model navdb_test_support)
