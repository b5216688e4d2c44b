# Compares the function table in the dissector (between its BEGIN and END
# lines) with what ntr-function-table prints; fails with the difference.
#   cmake -DGENERATOR=ntr-function-table -DDISSECTOR=ntr_protocol.lua -P check_function_table.cmake
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE expected RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed (${status})")
endif()
file(READ ${DISSECTOR} dissector)
string(FIND "${dissector}" "-- BEGIN FUNCTION TABLE" begin)
string(FIND "${dissector}" "-- END FUNCTION TABLE" end)
if(begin EQUAL -1 OR end EQUAL -1)
  message(FATAL_ERROR "${DISSECTOR} has no BEGIN/END FUNCTION TABLE lines")
endif()
string(LENGTH "-- END FUNCTION TABLE\n" end_length)
math(EXPR length "${end} + ${end_length} - ${begin}")
string(SUBSTRING "${dissector}" ${begin} ${length} copy)
if(NOT copy STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/function_table.expected "${expected}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/function_table.copy "${copy}")
  execute_process(COMMAND diff -u ${CMAKE_CURRENT_BINARY_DIR}/function_table.copy
                          ${CMAKE_CURRENT_BINARY_DIR}/function_table.expected)
  message(FATAL_ERROR "the function table in ${DISSECTOR} differs from the descriptors: "
                      "replace it with the output of ntr-function-table")
endif()
message(STATUS "function table of ${DISSECTOR} matches the descriptors")
