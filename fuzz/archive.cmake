cw_fuzz(archive SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ArchiveFuzz.cpp DEPS cw_archive LABEL platform)
