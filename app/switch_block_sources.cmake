target_sources(ntr_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/switch_block_writer.cpp)
