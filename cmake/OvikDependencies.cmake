# Imported targets for what the library needs from the platform:
#   ovik::log        Android's liblog (the NDK's on Android, Debian's on Linux)
#   ovik::jni        the JNI headers
#   ovik::jackloader the closed JACK loader library (a stand-in off Android)

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

add_library(ovik::log INTERFACE IMPORTED)
if(ANDROID)
  find_library(OVIK_LOG_LIBRARY log REQUIRED)
  target_link_libraries(ovik::log INTERFACE ${OVIK_LOG_LIBRARY})
else()
  # Debian's android-liblog-dev: headers under /usr/include/android, the
  # library in the android folder of the multiarch library directory.
  find_path(OVIK_LOG_INCLUDE_DIR android/log.h PATHS /usr/include/android NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  find_library(OVIK_LOG_LIBRARY NAMES log
               PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/android
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT OVIK_LOG_INCLUDE_DIR OR NOT OVIK_LOG_LIBRARY)
    set(_pkg android-liblog-dev)
    if(CMAKE_CROSSCOMPILING)
      set(_pkg "android-liblog-dev:armhf (scripts/install-deps.sh arm)")
    endif()
    message(FATAL_ERROR "No liblog under /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/android: "
                        "install ${_pkg}")
  endif()
  target_include_directories(ovik::log INTERFACE ${OVIK_LOG_INCLUDE_DIR})
  target_link_libraries(ovik::log INTERFACE ${OVIK_LOG_LIBRARY})
endif()

add_library(ovik::jni INTERFACE IMPORTED)
if(NOT ANDROID)
  # The JDK's headers; they serve the 32-bit ARM build as well.
  if(NOT OVIK_JDK_HOME)
    if(DEFINED ENV{JAVA_HOME} AND EXISTS "$ENV{JAVA_HOME}/include/jni.h")
      set(_jdk "$ENV{JAVA_HOME}")
    else()
      file(GLOB _jdks /usr/lib/jvm/java-17-openjdk-*)
      list(GET _jdks 0 _jdk)
    endif()
    set(OVIK_JDK_HOME "${_jdk}" CACHE PATH "JDK whose jni.h the library compiles against")
  endif()
  if(NOT EXISTS "${OVIK_JDK_HOME}/include/jni.h")
    message(FATAL_ERROR "No jni.h under ${OVIK_JDK_HOME}/include: install openjdk-17-jdk-headless")
  endif()
  target_include_directories(ovik::jni INTERFACE
    ${OVIK_JDK_HOME}/include ${OVIK_JDK_HOME}/include/linux)
endif()

add_library(ovik::jackloader INTERFACE IMPORTED)
if(ANDROID)
  # The closed library ships prebuilt for the device.
  set(OVIK_JACK_LOADER_LIBRARY "" CACHE FILEPATH "Prebuilt libovikjack.so for the target")
  if(NOT OVIK_JACK_LOADER_LIBRARY)
    message(FATAL_ERROR "Set OVIK_JACK_LOADER_LIBRARY to the prebuilt libovikjack.so")
  endif()
  target_link_libraries(ovik::jackloader INTERFACE ${OVIK_JACK_LOADER_LIBRARY})
else()
  target_link_libraries(ovik::jackloader INTERFACE ovikjack)
endif()
