cw_fuzz(excludeflatten SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ExcludeFlattenFuzz.cpp DEPS basemaker_app LABEL basemaker)
