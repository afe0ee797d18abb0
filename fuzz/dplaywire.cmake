cw_fuzz(dplaywire SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/DplayWireFuzz.cpp DEPS cw_dplay LABEL platform)
