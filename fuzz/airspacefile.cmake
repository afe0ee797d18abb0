cw_fuzz(airspacefile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/AirspaceFileFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
