if(TARGET cw_sample_simroot)
  cw_bench(databasebuild SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DatabaseBuildBench.cpp
           DEPS basemaker_app cw_sample_simroot)
endif()
