zel_fuzz(fuzz_rle_decode
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_rle_decode.cpp
  LINK zel_shared
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_rle_decode)
