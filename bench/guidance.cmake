cw_bench(guidance SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/GuidanceBench.cpp DEPS plotr_sim_testsupport)
