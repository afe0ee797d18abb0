cw_fuzz(fmsblocks SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FmsBlocksFuzz.cpp DEPS plotr_sim LABEL sim)
