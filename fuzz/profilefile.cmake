cw_fuzz(profilefile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ProfileFileFuzz.cpp DEPS navdb LABEL navdb)
