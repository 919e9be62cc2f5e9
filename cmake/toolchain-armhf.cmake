# Cross build for 32-bit ARM (arm-linux-gnueabihf), the processor the service
# runs on. The compiler is Debian's g++-arm-linux-gnueabihf; the libraries the
# build links against (liblog, GoogleTest) come from the armhf multiarch
# packages under /usr/lib/arm-linux-gnueabihf.
#
# Every armhf program is started through qemu-arm, as there is no binfmt
# registration. `-L /` makes qemu take the loader and libc from libc6:armhf,
# the same glibc the multiarch libraries were built against; mixing in the
# cross toolchain's own loader crashes larger programs such as the JVM.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(OVIK_CROSS_TRIPLE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${OVIK_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${OVIK_CROSS_TRIPLE}-g++)

# Selects lib/arm-linux-gnueabihf in every find_* search under /usr, so
# find_package(GTest) picks GTestConfig.cmake of libgtest-dev:armhf and the
# liblog search of OvikDependencies looks in its android folder.
set(CMAKE_LIBRARY_ARCHITECTURE ${OVIK_CROSS_TRIPLE})

# The cross compiler's sysroot is "/", so the multiarch tree is searched in
# place; no find root path is needed, and host programs (javac, java for
# compiling the Java classes) stay reachable.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-L;/ CACHE STRING
    "Runs the target's programs on the build machine")
