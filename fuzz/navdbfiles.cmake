cw_fuzz(navdbfiles SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/NavdbFilesFuzz.cpp DEPS navdb LABEL navdb)
