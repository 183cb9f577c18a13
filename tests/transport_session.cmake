# zellink against the real zelrelay and a reference agent on 127/8 addresses
# other than 127.0.0.1; second processes are transport_test_child.
if(TARGET zellink AND TARGET zelrelay AND TARGET zel_refagent)
  zel_program(transport_test_child SOURCES transport_test_child.cpp LINK zellink zel_kernel zel_shared)
  zel_test(transport_session_test
    SOURCES transport_session_test.cpp
    LINK zellink zel_refagent zel_kernel zel_shared
    LABELS integration
    TIMEOUT 300)
  add_dependencies(transport_session_test transport_test_child zelrelay)
endif()
