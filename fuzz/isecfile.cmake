cw_fuzz(isecfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/IsecFileFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
