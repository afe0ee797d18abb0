cw_fuzz(sidstarserver SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/SidStarServerFuzz.cpp DEPS plotr_tools_model LABEL plan)
