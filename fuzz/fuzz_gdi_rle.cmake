zel_fuzz(fuzz_gdi_rle
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_gdi_rle.cpp
  LINK zel_gdi
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_gdi_rle)
