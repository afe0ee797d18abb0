cw_fuzz(profile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ProfileFuzz.cpp DEPS cw_profile LABEL platform)
