zel_fuzz(fuzz_view_frame
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_view_frame.cpp
  LINK zel_shared
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_view_frame)
