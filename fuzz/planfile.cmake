cw_fuzz(planfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/PlanFileFuzz.cpp DEPS plotr_plan plotr_settings LABEL plan)
