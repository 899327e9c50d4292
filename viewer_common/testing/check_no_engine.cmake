# Fails when any of LIBS carries the engine's own global-memory table
# (imaging::MemAlloc and its neighbours).  The viewer controls must reach
# image handles only through the bound entries of libmv7com.so.
foreach(lib ${LIBS})
  execute_process(COMMAND ${NM} -C ${lib} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${lib}")
  endif()
  if(symbols MATCHES "imaging::Mem(Alloc|Free|Lock)\\(")
    message(FATAL_ERROR "${lib} carries a copy of the engine's handle table")
  endif()
endforeach()
message(STATUS "no engine handle table in: ${LIBS}")
