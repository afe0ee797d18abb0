cw_fuzz(airportlist SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/AirportListFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
