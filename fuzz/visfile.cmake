cw_fuzz(visfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/VisFileFuzz.cpp DEPS basemaker_app LABEL basemaker)
