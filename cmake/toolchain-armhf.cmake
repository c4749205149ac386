# 32-bit ARM (armhf) with Debian's cross compiler; tests run under qemu-arm with the armhf libraries.
# Needs g++-arm-linux-gnueabihf, qemu-user and, through multiarch, libc6:armhf, libtinyxml-dev:armhf,
# libgtest-dev:armhf and libgmock-dev:armhf (scripts/setup.sh --armhf).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
# 64-bit file offsets, so that file lengths and seeks past 2 GiB work on the 32-bit target as on the
# workstation (no interface of the project or of TinyXML carries off_t).
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")

# The cross runtime lives under /usr/arm-linux-gnueabihf; the multiarch -dev packages put their libraries and
# CMake packages under /usr/lib/arm-linux-gnueabihf and share the architecture-free headers in /usr/include.
# Libraries and packages come only from there, so nothing of the workstation's own architecture is linked.
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf /usr/lib/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# An install prefix the caller names (CMAKE_PREFIX_PATH, e.g. this project installed for armhf) is searched
# as it is, not under the roots above.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})

# ctest runs every target executable through qemu-arm. The guest's loader and C library must come from one
# package: the loader under /usr/arm-linux-gnueabihf (the cross runtime) would pick up the newer
# /lib/arm-linux-gnueabihf/libc.so.6 of libc6:armhf through its multiarch search, and threads crash on the
# mismatch. So the guest runs on the multiarch runtime of libc6:armhf, whose loader also finds TinyXML and the
# other armhf packages; the project's own shared libraries are found through the build tree's RUNPATH.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-L;/)
