cw_fuzz(guidancetick SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/GuidanceTickFuzz.cpp DEPS plotr_sim simhost_core plotr_plan_testsupport LABEL sim)
