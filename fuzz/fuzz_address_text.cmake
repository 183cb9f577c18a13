zel_fuzz(fuzz_address_text
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_address_text.cpp
  LINK zel_shared
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_address_text)
