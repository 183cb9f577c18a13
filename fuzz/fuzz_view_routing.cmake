zel_fuzz(fuzz_view_routing
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_view_routing.cpp
  LINK zel_relay
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_view_routing)
