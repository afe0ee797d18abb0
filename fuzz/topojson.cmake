cw_fuzz(topojson SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/TopoJsonFuzz.cpp DEPS cw_world_map_writer LABEL map)
