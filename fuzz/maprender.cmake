cw_fuzz(maprender SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/MapRenderFuzz.cpp DEPS plotr_map LABEL map)
