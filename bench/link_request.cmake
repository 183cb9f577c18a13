# MakeRequestToUser round trips through zellink and zelrelay to the reference
# agent, against a direct TCP request/reply to the same agent. Prints both
# medians and the ratio.
if(TARGET zellink AND TARGET zelrelay AND TARGET zel_refagent)
  zel_bench(link_request_bench SOURCES link_request.cpp LINK zellink zel_refagent zel_shared)
  add_dependencies(link_request_bench zelrelay)
endif()
