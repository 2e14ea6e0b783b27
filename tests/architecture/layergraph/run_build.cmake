# Configures and builds the graph GRAPH in BINARY_DIR; prints the compiler's
# output, and fails when the build fails (the test expects it to fail for the
# "include" graph and looks for the missing header in the output).
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -DGRAPH=${GRAPH}
                        -DQUILLMATE_LAYERS_FILE=${QUILLMATE_LAYERS_FILE}
                RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "configure step failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR}
                RESULT_VARIABLE built OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT built EQUAL 0)
  message(FATAL_ERROR "build failed")
endif()
message("build succeeded")
