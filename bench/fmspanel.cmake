cw_bench(fmspanel SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FmsPanelBench.cpp DEPS plotr_sim)
