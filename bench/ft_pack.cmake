zel_bench(ft_pack_bench
  SOURCES ${CMAKE_SOURCE_DIR}/bench/ft_pack.cpp
  LINK zel_ftpack)
