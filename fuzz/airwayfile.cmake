cw_fuzz(airwayfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/AirwayFileFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
