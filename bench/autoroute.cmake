if(TARGET cw_sample_simroot)
  cw_bench(autoroute SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/AutoRouteBench.cpp
           DEPS plotr_tools_model basemaker_app cw_sample_simroot)
endif()
