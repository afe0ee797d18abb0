cw_fuzz(fileversion SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FileVersionFuzz.cpp DEPS cw_win LABEL platform)
