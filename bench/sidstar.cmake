cw_bench(sidstar SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SidStarBench.cpp DEPS plotr_tools_model)
