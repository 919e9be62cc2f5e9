# Compiles the Java bridge against Android's own jni.h as well as the JDK's.
# The two agree in C but not in every C++ signature (AttachCurrentThread takes
# JNIEnv** there and void** here; JNINativeMethod holds const strings there),
# so code that builds against the desktop JDK alone can still fail in the
# device build. This object library is built with every build and linked
# into nothing: a failing compile is the whole check.
#
# Android builds compile the bridge against the NDK's jni.h already.
if(ANDROID)
  return()
endif()

# Debian's android-libnativehelper-dev; its folder holds jni.h next to helper
# headers of the same names as the bridge's own, which the bridge includes
# with quotes, so its own copies, next to the source, win.
find_path(OVIK_ANDROID_JNI_INCLUDE_DIR jni.h
          PATHS /usr/include/android/nativehelper
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

add_library(ovik_android_jni_check OBJECT ${OVIK_SOURCE_DIR}/OvikServiceJni.cpp)
# Android's jni.h first, and the JDK's not on the path at all: no ovik::jni.
target_include_directories(ovik_android_jni_check BEFORE PRIVATE
  ${OVIK_ANDROID_JNI_INCLUDE_DIR})
target_include_directories(ovik_android_jni_check PRIVATE ${OVIK_SOURCE_DIR})
target_link_libraries(ovik_android_jni_check PRIVATE ovik::log)
set_target_properties(ovik_android_jni_check PROPERTIES CXX_VISIBILITY_PRESET hidden)
ovik_enable_warnings(ovik_android_jni_check)
