cw_fuzz(worldmap SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/WorldMapFuzz.cpp DEPS plotr_map LABEL map)
