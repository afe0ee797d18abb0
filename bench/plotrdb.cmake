cw_bench(plotrdb SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PlotrDbBench.cpp DEPS plotr_plan plotr_views_model navdb_test_support)
