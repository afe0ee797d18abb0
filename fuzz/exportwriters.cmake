cw_fuzz(exportwriters SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ExportWritersFuzz.cpp
  DEPS planexport_tabtext_writer planexport_iniplan_writer planexport_netplanc_writer planexport_gpsplan_writer
       planexport_simpln planexport_atcplan_writer
       planexport_netplana_writer planexport_netplanb_writer planexport_opsplan_writer
       planexport_testing LABEL exports)
