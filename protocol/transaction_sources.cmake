target_sources(ntr_protocol PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/switch_transactor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transaction_hub.cpp
)
