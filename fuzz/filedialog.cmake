cw_fuzz(filedialog SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FileDialogFuzz.cpp DEPS plotr_tools_model LABEL plan)
