cw_fuzz(moveblock SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/MoveBlockFuzz.cpp DEPS simhost_core LABEL sim)
