# A command makes exactly two clock readings as system calls: the processor
# time before and after the watched module call. oxa-host runs the example
# module under strace once with one command and once with 101; every
# time-reading system call of the second run beyond the first, on the thread
# that ran the commands, must be one of the 2 x 100 readings of the extra
# commands.
#
#   cmake -DSTRACE=... -DHOST=... -DMODULE_DIR=... -DMODULE_FILE=...
#         -DOUTPUT_DIR=... -P CountClockReadings.cmake
set(_syscalls clock_gettime,gettimeofday,time,times,getrusage,clock_getres)

function(count_readings commands result)
  set(_steps)
  foreach(_i RANGE 1 ${commands})
    list(APPEND _steps "gain 3")
  endforeach()
  set(_trace ${OUTPUT_DIR}/clock-readings-${commands}.txt)
  execute_process(
    # LeakSanitizer cannot run under ptrace; it reads no clock either way.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
      ${STRACE} -f -qq -e trace=${_syscalls} -o ${_trace}
      ${HOST} --no-log --wait-ms 0 ${MODULE_DIR} ${MODULE_FILE} ${_steps}
    RESULT_VARIABLE _status OUTPUT_QUIET)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "oxa-host with ${commands} commands under strace failed: ${_status}")
  endif()
  file(STRINGS ${_trace} _lines REGEX "(clock_gettime|gettimeofday|time|times|getrusage|clock_getres)\\(")
  # Only the readings of the thread that ran the commands count: the one whose
  # watched calls read the process's processor time. A sanitizer runtime's
  # threads of its own read the time too, as often as the run's length lets
  # them, which a slower or busier machine makes longer.
  set(_commanding)
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^([0-9]+) +clock_gettime\\(CLOCK_PROCESS_CPUTIME_ID")
      list(APPEND _commanding ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(_count 0)
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^([0-9]+) ")
      list(FIND _commanding "${CMAKE_MATCH_1}" _found)
      if(NOT _found EQUAL -1)
        math(EXPR _count "${_count} + 1")
      endif()
    endif()
  endforeach()
  set(${result} ${_count} PARENT_SCOPE)
endfunction()

count_readings(1 _one)
count_readings(101 _many)
math(EXPR _extra "${_many} - ${_one}")
if(NOT _extra EQUAL 200)
  message(FATAL_ERROR "100 more commands made ${_extra} more time-reading system calls "
                      "(${_one} with one command, ${_many} with 101), not 200")
endif()
message(STATUS "100 more commands made 200 more clock readings (${_one} with one command)")
