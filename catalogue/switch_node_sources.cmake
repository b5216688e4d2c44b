target_sources(ntr_catalogue PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/l2_switch_node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request_text.cpp
)
