cw_fuzz(compressedbgl SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/CompressedBglFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
