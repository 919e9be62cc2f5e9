# Runs spin on MODEL: CHECK "noclaim" checks assertions and deadlocks, any
# other CHECK is the name of an ltl property. Fails unless spin reports no
# error.
#
#   cmake -DSPIN=<spin> -DMODEL=<model.pml> -DCHECK=<noclaim|property> -P RunSpin.cmake
if(NOT SPIN)
  message(FATAL_ERROR "spin not found: scripts/install-deps.sh debug installs it")
endif()
if(CHECK STREQUAL "noclaim")
  set(_args -run -noclaim)
else()
  set(_args -run -ltl ${CHECK})
endif()
execute_process(
  COMMAND ${SPIN} ${_args} ${MODEL}
  OUTPUT_VARIABLE _out
  ERROR_VARIABLE _out
  RESULT_VARIABLE _result)
if(NOT _result EQUAL 0 OR NOT _out MATCHES "errors: 0\n" OR _out MATCHES "errors: [1-9]")
  message(FATAL_ERROR "spin ${_args} ${MODEL} found an error:\n${_out}")
endif()
string(REGEX MATCH "[0-9]+ states, stored" _states "${_out}")
message(STATUS "spin ${_args}: no error, ${_states}")
