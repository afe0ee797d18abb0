cw_bench(sidstartree SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SidStarTreeBench.cpp DEPS plotr_views_model)
