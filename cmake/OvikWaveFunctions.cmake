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

# ovik_add_wave_check(NAME)
#
# Runs `oxa-host check` on the module of ovik_add_wave(NAME) after every build
# of it, and fails the build when a check fails, crashes or times out. A cross
# build runs the check through CMAKE_CROSSCOMPILING_EMULATOR; without one, or
# without oxa-host in the kit, the check is left out with a message.
function(ovik_add_wave_check name)
  set(target wave_${name})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "ovik_add_wave_check(${name}): call ovik_add_wave(${name} ...) first")
  endif()
  if(NOT TARGET OvikWave::oxa-host)
    message(STATUS "ovik_add_wave_check(${name}): the kit has no oxa-host; not checked")
    return()
  endif()
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(STATUS "ovik_add_wave_check(${name}): no emulator for the target; not checked")
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:OvikWave::oxa-host> check
            $<TARGET_FILE_DIR:${target}> $<TARGET_FILE_NAME:${target}>
    COMMENT "oxa-host check: the module of wave ${name}"
    VERBATIM)
endfunction()
