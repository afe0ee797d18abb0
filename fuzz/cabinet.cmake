cw_fuzz(cabinet SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/CabinetFuzz.cpp DEPS basemaker_compiler cw_cab LABEL basemaker)
