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

  set(options)
  set(depends ${target} OvikWave::oxa-host)
  if(CHECK_COMMANDS_FILE)
    get_filename_component(commands_file "${CHECK_COMMANDS_FILE}" ABSOLUTE)
    list(APPEND options --commands "${commands_file}")
    list(APPEND depends "${commands_file}")
  endif()
  foreach(command IN LISTS CHECK_COMMANDS)
    list(APPEND options --command "${command}")
  endforeach()
  # The stamp is written only when every check passed; a failed check makes
  # no stamp, so make has nothing of the module's to delete.
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:OvikWave::oxa-host> check
            --package ${name} ${options}
            $<TARGET_FILE_DIR:${target}> $<TARGET_FILE_NAME:${target}>
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${depends}
    COMMENT "oxa-host check: the module of wave ${name}"
    VERBATIM)
  add_custom_target(${target}_check ALL DEPENDS ${stamp})
endfunction()
