# The link layer: frames, the libpcap endpoint, adapters, address watch, packet logs.
target_sources(ntr_protocol PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/adapter_chooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/adapter_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/address_watch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_handle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interface_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_device_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/packet_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receive_queue.cpp
)

# libpcap: the plain library and header (its pkg-config file would add the
# D-Bus include folders of its private dependencies to every compile line).
find_path(NTR_PCAP_INCLUDE_DIR pcap/pcap.h REQUIRED)
find_library(NTR_PCAP_LIBRARY NAMES pcap REQUIRED)
target_include_directories(ntr_protocol SYSTEM PUBLIC ${NTR_PCAP_INCLUDE_DIR})
target_link_libraries(ntr_protocol PUBLIC ${NTR_PCAP_LIBRARY})
find_package(Threads REQUIRED)
target_link_libraries(ntr_protocol PUBLIC Threads::Threads)
