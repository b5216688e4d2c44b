# The registry, the configuration text file, adoption, import and export, and
# the application object.
target_sources(ntr_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/adoption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_function_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/factory_reset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/import_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/marl_app.cpp
  ${CMAKE_CURRENT_LIST_DIR}/marl_app_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_operator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/single_instance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/switch_service.cpp
)
# The product version shown by the application (its version record).
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/marl_app.cpp PROPERTIES
  COMPILE_DEFINITIONS NTR_PRODUCT_VERSION="${PROJECT_VERSION}")
