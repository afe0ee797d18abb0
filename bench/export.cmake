cw_bench(export SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ExportBench.cpp DEPS plotr_flpx_host plotr_plan_testsupport)
if(TARGET bench_export)
  add_dependencies(bench_export Tabtext Iniplan Netplanc Gpsplan)
  target_compile_definitions(bench_export PRIVATE TABTEXT_MODULE="$<TARGET_FILE:Tabtext>"
    INIPLAN_MODULE="$<TARGET_FILE:Iniplan>" NETPLANC_MODULE="$<TARGET_FILE:Netplanc>"
    GPSPLAN_MODULE="$<TARGET_FILE:Gpsplan>")
endif()
