# What `cmake --install` puts under the prefix: the kit a module author builds
# against outside this tree.
#
#   include/ovik/          the contract headers and the kit's helpers
#                          (OXAAnswerQueue.h, OXAModuleThread.h, and the
#                          test harness's OXATestHost.h)
#   lib/                   libOvikServiceJni.so, the JACK loader stand-in and
#                          the test harness libOvikWaveTesting.a (when the
#                          tools are built)
#   bin/oxa-host           the command-line host (when the tools are built)
#   lib/cmake/OvikWave/    the package: targets, ovik_add_wave() and the
#                          other functions, the modules' version script, the
#                          source ovik_wave_link_jack() adds to a module, the
#                          version file
#   share/java/            ovik-service.jar, the Java service class (when the
#                          Java parts are built; java/CMakeLists.txt)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_ovik_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/OvikWave)

# Installed programs find the library next to them, and the library finds the
# stand-in beside it; liblog's folder off the standard path (Debian's
# /usr/lib/<arch>/android) comes from the link path.
file(RELATIVE_PATH _ovik_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(OvikServiceJni PROPERTIES
  INSTALL_RPATH "$ORIGIN"
  INSTALL_RPATH_USE_LINK_PATH ON)

set(_ovik_targets OvikServiceJni)
if(TARGET ovikjack)
  list(APPEND _ovik_targets ovikjack)
endif()
if(TARGET ovik_wave_testing)
  list(APPEND _ovik_targets ovik_wave_testing)
endif()
if(TARGET oxa-host)
  set_target_properties(oxa-host PROPERTIES
    INSTALL_RPATH "$ORIGIN/${_ovik_bin_to_lib}"
    INSTALL_RPATH_USE_LINK_PATH ON)
  list(APPEND _ovik_targets oxa-host)
endif()

install(TARGETS ${_ovik_targets} EXPORT OvikWaveTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

list(TRANSFORM OVIK_CONTRACT_HEADERS PREPEND ${OVIK_SOURCE_DIR}/ OUTPUT_VARIABLE _ovik_headers)
install(FILES ${_ovik_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ovik)
list(TRANSFORM OVIK_KIT_HEADERS PREPEND ${OVIK_KIT_DIR}/ OUTPUT_VARIABLE _ovik_kit_headers)
install(FILES ${_ovik_kit_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ovik)

install(EXPORT OvikWaveTargets NAMESPACE OvikWave:: DESTINATION ${_ovik_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OvikWaveConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/OvikWaveConfig.cmake
  INSTALL_DESTINATION ${_ovik_package_dir}
  PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_DATADIR)
# A module is bound to the contract's major version and to the word size.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OvikWaveConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/OvikWaveConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/OvikWaveConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/OvikWaveFunctions.cmake
  ${CMAKE_CURRENT_LIST_DIR}/OvikWaveModule.map
  ${CMAKE_CURRENT_LIST_DIR}/OvikJackResident.cpp
  DESTINATION ${_ovik_package_dir})
