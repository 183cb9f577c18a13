zel_fuzz(fuzz_ft_unpack
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/fuzz_ft_unpack.cpp
  LINK zel_ftpack
  CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/fuzz_ft_unpack)
