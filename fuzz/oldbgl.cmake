cw_fuzz(oldbgl SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/OldBglFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
