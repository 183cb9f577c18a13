zel_fuzz(fuzz_ft_pack_round_trip
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/fuzz_ft_pack_round_trip.cpp
  LINK zel_ftpack
  CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/fuzz_ft_pack_round_trip)
