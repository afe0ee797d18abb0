if(TARGET cw_sample_simroot)
  cw_bench(databasebuild SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DatabaseBuildBench.cpp
           DEPS basemaker_app cw_sample_simroot)
  if(TARGET bench_databasebuild)
    # The installation-sized roots are written here the first time the benchmark runs.
    target_compile_definitions(bench_databasebuild PRIVATE CW_BENCH_ROOTS_DIR="${CMAKE_BINARY_DIR}/bench/roots")
  endif()
endif()
