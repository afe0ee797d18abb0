cw_bench(geodesy SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/GeodesyBench.cpp DEPS navdb)
