cw_fuzz(sidstarfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/SidStarFileFuzz.cpp DEPS plotr_tools_model LABEL plan)
