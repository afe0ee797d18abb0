cw_fuzz(plansettings SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/PlanSettingsFuzz.cpp DEPS plotr_plan plotr_settings LABEL plan)
