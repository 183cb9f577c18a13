zel_fuzz(fuzz_gdi_dib_rows
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_gdi_dib_rows.cpp
  LINK zel_gdi
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_gdi_dib_rows)
