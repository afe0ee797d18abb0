cw_fuzz(clipformats SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ClipFormatsFuzz.cpp DEPS plotr_views_model LABEL plan)
