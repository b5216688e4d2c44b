# The private test network (namespaces, veth pairs, a plain packet socket),
# shared by the test suites and the benchmarks. Include this file; it defines
# the library once.
if(NOT TARGET ntr_private_network)
  add_library(ntr_private_network STATIC
    ${CMAKE_CURRENT_LIST_DIR}/packet_socket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/private_network.cpp
  )
  target_include_directories(ntr_private_network PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(ntr_private_network PUBLIC ntr_protocol PRIVATE ntr_warnings)
endif()
