# cmake -P script: install, configure the consumer, build it, run it.
function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGV}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

file(REMOVE_RECURSE ${LX_WORK_DIR})
set(prefix ${LX_WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${LX_BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${LX_CONSUMER_SOURCE} -B ${LX_WORK_DIR}/build -G ${LX_GENERATOR}
    -DCMAKE_CXX_COMPILER=${LX_CXX_COMPILER} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=${LX_CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LX_LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build ${LX_WORK_DIR}/build)
run(${LX_WORK_DIR}/build/consumer)
