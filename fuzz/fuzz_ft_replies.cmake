zel_fuzz(fuzz_ft_replies
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/fuzz_ft_replies.cpp
  LINK zel_ftcodec
  CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/fuzz_ft_replies)
