cw_fuzz(sectionbgl SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/SectionBglFuzz.cpp DEPS basemaker_compiler LABEL basemaker)
