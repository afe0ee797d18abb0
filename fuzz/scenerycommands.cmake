cw_fuzz(scenerycommands SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/SceneryCommandsFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
