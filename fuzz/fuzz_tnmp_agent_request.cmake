zel_fuzz(fuzz_tnmp_agent_request
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_tnmp_agent_request.cpp
  LINK zel_refagent
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_tnmp_agent_request)
