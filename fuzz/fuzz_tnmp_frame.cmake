zel_fuzz(fuzz_tnmp_frame
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_tnmp_frame.cpp
  LINK zel_shared
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_tnmp_frame)
