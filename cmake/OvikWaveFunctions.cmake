# ovik_add_wave(NAME SOURCES <source>...)
#
# Builds the module library libwave_NAME.so (target wave_NAME) from the given
# sources, the way the host expects a module:
#   - compiled against the contract headers, linked against libOvikServiceJni.so,
#     whose contract classes the module's objects derive from;
#   - hidden visibility, and a version script that exports only the C entry
#     points the host looks up (OvikWaveModule.map, next to this file), so two
#     modules in one process never bind to each other's code;
#   - named so that the host's fallback rule finds it: a module loaded as
#     NAME is found as <module dir>/libwave_NAME.so.
#
# Shipped in the OvikWave package (find_package(OvikWave CONFIG REQUIRED)) and
# used by this tree's own example module.

set(_OVIK_WAVE_VERSION_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/OvikWaveModule.map")
set(_OVIK_WAVE_JACK_RESIDENT "${CMAKE_CURRENT_LIST_DIR}/OvikJackResident.cpp")

function(ovik_add_wave name)
  cmake_parse_arguments(PARSE_ARGV 1 WAVE "" "" "SOURCES")
  if(WAVE_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "ovik_add_wave(${name}): unknown arguments ${WAVE_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT WAVE_SOURCES)
    message(FATAL_ERROR "ovik_add_wave(${name}): no SOURCES")
  endif()
  if(NOT TARGET OvikWave::OvikServiceJni)
    message(FATAL_ERROR "ovik_add_wave(${name}): run find_package(OvikWave CONFIG REQUIRED) first")
  endif()

  set(target wave_${name})
  add_library(${target} SHARED ${WAVE_SOURCES})
  set_target_properties(${target} PROPERTIES
    PREFIX "lib"
    OUTPUT_NAME wave_${name}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  target_link_libraries(${target} PRIVATE OvikWave::OvikServiceJni)
  target_link_options(${target} PRIVATE "LINKER:--version-script=${_OVIK_WAVE_VERSION_SCRIPT}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${_OVIK_WAVE_VERSION_SCRIPT}")
endfunction()

# ovik_add_wave_check(NAME [COMMANDS_FILE <file>] [COMMANDS <command>...])
#
# Runs `oxa-host check` on the module of ovik_add_wave(NAME) after every build
# of it, and fails the build when a check fails, crashes or times out. The
# check is a target of its own (wave_NAME_check, part of `all`) whose output
# is a stamp file: a failed check leaves the module in place to run and
# inspect, and runs again on the next build. COMMANDS_FILE (one command a
# line) and COMMANDS hand the module's own commands to the checks that drive
# it (`oxa-host check --commands`, `--command`).
#
# -DOVIK_WAVE_CHECK=OFF leaves out the checks of every module;
# -DOVIK_WAVE_CHECK_NAME=OFF that of the module NAME only.
#
# A cross build runs the check through CMAKE_CROSSCOMPILING_EMULATOR; without
# one, or without oxa-host in the kit, the check is left out with a message.
option(OVIK_WAVE_CHECK "Run oxa-host check on the modules of ovik_add_wave_check()" ON)

function(ovik_add_wave_check name)
  cmake_parse_arguments(PARSE_ARGV 1 CHECK "" "COMMANDS_FILE" "COMMANDS")
  if(CHECK_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "ovik_add_wave_check(${name}): unknown arguments ${CHECK_UNPARSED_ARGUMENTS}")
  endif()
  set(target wave_${name})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "ovik_add_wave_check(${name}): call ovik_add_wave(${name} ...) first")
  endif()
  # ON of its own, not OVIK_WAVE_CHECK's value: the cache keeps the first
  # default, and a build once configured with OVIK_WAVE_CHECK=OFF would
  # otherwise leave every module unchecked after it is switched on again.
  option(OVIK_WAVE_CHECK_${name} "Run oxa-host check on the module ${name}" ON)
  if(NOT OVIK_WAVE_CHECK OR NOT OVIK_WAVE_CHECK_${name})
    message(STATUS "ovik_add_wave_check(${name}): switched off; not checked")
    return()
  endif()
  if(NOT TARGET OvikWave::oxa-host)
    message(STATUS "ovik_add_wave_check(${name}): the kit has no oxa-host; not checked")
    return()
  endif()
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(STATUS "ovik_add_wave_check(${name}): no emulator for the target; not checked")
    return()
  endif()

  _ovik_wave_check_command(${name} "${CHECK_COMMANDS_FILE}" "${CHECK_COMMANDS}" check commands_file)
  # The stamp is written only when every check passed; a failed check makes
  # no stamp, so make has nothing of the module's to delete.
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${check}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${target} OvikWave::oxa-host ${commands_file}
    COMMENT "oxa-host check: the module of wave ${name}"
    VERBATIM)
  add_custom_target(${target}_check ALL DEPENDS ${stamp})
endfunction()

# ovik_add_wave_test(NAME [COMMANDS_FILE <file>] [COMMANDS <command>...]
#                    [TIMEOUT <seconds>])
#
# Registers `oxa-host check` on the module of ovik_add_wave(NAME) as the CTest
# test wave_NAME_check (label "wave_check"), so that `ctest` runs the
# validator beside the module's own tests, and a CI sees its verdict among
# theirs. COMMANDS_FILE and COMMANDS are those of ovik_add_wave_check();
# TIMEOUT is the time limit of the whole run in seconds (CTest's own default
# otherwise; each check also has oxa-host's own limit). Call enable_testing()
# (or include(CTest)) first.
#
# The test is independent of the build-time check: OVIK_WAVE_CHECK and
# OVIK_WAVE_CHECK_NAME leave it in place. A cross build runs it through
# CMAKE_CROSSCOMPILING_EMULATOR; without one, or without oxa-host in the kit,
# the test is left out with a message.
function(ovik_add_wave_test name)
  cmake_parse_arguments(PARSE_ARGV 1 TEST "" "COMMANDS_FILE;TIMEOUT" "COMMANDS")
  if(TEST_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "ovik_add_wave_test(${name}): unknown arguments ${TEST_UNPARSED_ARGUMENTS}")
  endif()
  set(target wave_${name})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "ovik_add_wave_test(${name}): call ovik_add_wave(${name} ...) first")
  endif()
  if(NOT TARGET OvikWave::oxa-host)
    message(STATUS "ovik_add_wave_test(${name}): the kit has no oxa-host; no test")
    return()
  endif()
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(STATUS "ovik_add_wave_test(${name}): no emulator for the target; no test")
    return()
  endif()
  _ovik_wave_check_command(${name} "${TEST_COMMANDS_FILE}" "${TEST_COMMANDS}" check commands_file)
  add_test(NAME ${target}_check COMMAND ${check})
  set_tests_properties(${target}_check PROPERTIES LABELS "wave_check")
  if(TEST_TIMEOUT)
    set_tests_properties(${target}_check PROPERTIES TIMEOUT ${TEST_TIMEOUT})
  endif()
endfunction()

# The command line of `oxa-host check` on the module of wave NAME, in
# <command_var>, and the absolute path of the commands file (or nothing) in
# <file_var>.
function(_ovik_wave_check_command name commands_file commands command_var file_var)
  set(options)
  set(file "")
  if(commands_file)
    get_filename_component(file "${commands_file}" ABSOLUTE)
    list(APPEND options --commands "${file}")
  endif()
  foreach(command IN LISTS commands)
    list(APPEND options --command "${command}")
  endforeach()
  set(${command_var}
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:OvikWave::oxa-host> check
      --package ${name} ${options}
      $<TARGET_FILE_DIR:wave_${name}> $<TARGET_FILE_NAME:wave_${name}>
      PARENT_SCOPE)
  set(${file_var} "${file}" PARENT_SCOPE)
endfunction()

# ovik_wave_link_jack(NAME)
#
# Makes the module of ovik_add_wave(NAME) a JACK client the safe way: finds
# JACK's header and client library (Debian's libjack-jackd2-dev), links the
# module against it, and adds to the module a small source of the kit
# (OvikJackResident.cpp, next to this file) that keeps libjack loaded for the
# rest of the process once the module has loaded it.
#
# Why: a module linked with -ljack has libjack loaded and unloaded with it,
# every time the host creates and destroys a client of the module. libjack
# creates thread-specific keys and allocates in its load-time constructors
# and never gives them back, so each cycle leaks, `oxa-host check` fails the
# `lifecycle` check ("the heap in use grew ...") and, after about a thousand
# cycles, the process runs out of pthread keys. Kept loaded, libjack sets
# itself up once.
#
# A cross build looks for the target's libjack (libjack.so.0 of the
# libjack-jackd2-0 package of the target's architecture is enough) and the
# build machine's jack/jack.h.
function(ovik_wave_link_jack name)
  if(ARGN)
    message(FATAL_ERROR "ovik_wave_link_jack(${name}): unknown arguments ${ARGN}")
  endif()
  set(target wave_${name})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "ovik_wave_link_jack(${name}): call ovik_add_wave(${name} ...) first")
  endif()
  find_path(OVIK_JACK_INCLUDE_DIR jack/jack.h NO_CMAKE_FIND_ROOT_PATH)
  find_library(OVIK_JACK_LIBRARY NAMES jack libjack.so.0)
  if(NOT OVIK_JACK_INCLUDE_DIR OR NOT OVIK_JACK_LIBRARY)
    message(FATAL_ERROR "ovik_wave_link_jack(${name}): no JACK client library or jack/jack.h: "
                        "install libjack-jackd2-dev (libjack-jackd2-0 of the target's "
                        "architecture for a cross build)")
  endif()
  target_sources(${target} PRIVATE ${_OVIK_WAVE_JACK_RESIDENT})
  target_include_directories(${target} PRIVATE ${OVIK_JACK_INCLUDE_DIR})
  target_link_libraries(${target} PRIVATE ${OVIK_JACK_LIBRARY} ${CMAKE_DL_LIBS})
endfunction()
