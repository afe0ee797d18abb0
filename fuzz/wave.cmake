cw_fuzz(wave SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/WaveFuzz.cpp DEPS cw_sound LABEL platform)
