cw_fuzz(mpplayers SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/MpPlayersFuzz.cpp DEPS plotr_mpcore LABEL multiplayer)
