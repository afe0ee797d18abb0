cw_fuzz(coordinate_text SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/CoordinateTextFuzz.cpp DEPS plotr_views_model LABEL plan)
