# The hive-file parser: any bytes found in a hive file must parse without a
# crash, and what they parse to must survive being written and read again.
zel_fuzz(fuzz_registry_hive
  SOURCES "${CMAKE_CURRENT_SOURCE_DIR}/fuzz_registry_hive.cpp"
  LINK zel_registry
  CORPUS "${CMAKE_CURRENT_SOURCE_DIR}/corpus/fuzz_registry_hive")
