# Java for the JVM suites and the demo: classes are compiled by the host's
# javac; they run in OVIK_JAVA_COMMAND, the host's java, or on a cross build
# the target's java under the emulator.
find_package(Java 17 REQUIRED COMPONENTS Development Runtime)
include(UseJava)
# Sources are UTF-8 whatever the locale: in the POSIX locale javac would read
# them as US-ASCII and reject non-ASCII literals.
set(CMAKE_JAVA_COMPILE_FLAGS -encoding UTF-8 --release 17 -Xlint:all)

if(CMAKE_CROSSCOMPILING)
  set(OVIK_TARGET_JAVA_HOME "" CACHE PATH "The target's Java runtime (unpacked armhf JRE)")
  if(NOT EXISTS "${OVIK_TARGET_JAVA_HOME}/bin/java")
    message(FATAL_ERROR "OVIK_TARGET_JAVA_HOME must hold the target's bin/java")
  endif()
  set(OVIK_JAVA_COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${OVIK_TARGET_JAVA_HOME}/bin/java)
else()
  set(OVIK_JAVA_COMMAND ${Java_JAVA_EXECUTABLE})
endif()
