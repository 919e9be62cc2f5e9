# The reference of what the library's two audiences build against: the module
# contract headers and the Java service class, made by Debian's doxygen.
#
#   cmake --build <build> --target ovik_reference   # <build>/reference/html
#
# Any doxygen warning fails it; the test suites build it as a test
# (reference_builds_without_a_warning), so a broken comment fails CI.
find_program(OVIK_DOXYGEN doxygen)
if(NOT OVIK_DOXYGEN)
  message(STATUS "doxygen not found: no ovik_reference target (scripts/install-deps.sh installs it)")
  return()
endif()

set(OVIK_REFERENCE_DIR ${CMAKE_BINARY_DIR}/reference)
set(OVIK_REFERENCE_FILTER ${PROJECT_SOURCE_DIR}/docs/reference/comment-filter.awk)
list(TRANSFORM OVIK_CONTRACT_HEADERS PREPEND ${OVIK_SOURCE_DIR}/ OUTPUT_VARIABLE _ovik_reference_headers)
set(_ovik_reference_java
  ${PROJECT_SOURCE_DIR}/java/com/morvane/android/sdk/kestrova/OvikServiceInstallable.java)
list(JOIN _ovik_reference_headers " " OVIK_REFERENCE_INPUT)
string(APPEND OVIK_REFERENCE_INPUT " ${_ovik_reference_java}")
configure_file(${PROJECT_SOURCE_DIR}/docs/reference/Doxyfile.in
  ${OVIK_REFERENCE_DIR}/Doxyfile @ONLY)

add_custom_target(ovik_reference
  COMMAND ${OVIK_DOXYGEN} ${OVIK_REFERENCE_DIR}/Doxyfile
  WORKING_DIRECTORY ${OVIK_REFERENCE_DIR}
  DEPENDS ${_ovik_reference_headers} ${_ovik_reference_java} ${OVIK_REFERENCE_FILTER}
  COMMENT "doxygen: the reference of the contract headers and the Java class"
  VERBATIM)

if(OVIK_BUILD_TESTS)
  add_test(NAME reference_builds_without_a_warning
    COMMAND ${OVIK_DOXYGEN} ${OVIK_REFERENCE_DIR}/Doxyfile
    WORKING_DIRECTORY ${OVIK_REFERENCE_DIR})
  set_tests_properties(reference_builds_without_a_warning PROPERTIES
    TIMEOUT 120 LABELS "docs" FAIL_REGULAR_EXPRESSION "warning:")
endif()
