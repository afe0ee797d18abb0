cw_fuzz(avionicsinput SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/AvionicsInputFuzz.cpp DEPS plotr_sim plotr_views_model LABEL sim)
