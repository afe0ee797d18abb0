cw_bench(filedialog SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FileDialogBench.cpp DEPS plotr_tools_model)
