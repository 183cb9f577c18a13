zel_fuzz(fuzz_tnmp_agent_reply
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_tnmp_agent_reply.cpp
  LINK zel_shared
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_tnmp_agent_reply)
