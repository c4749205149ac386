# Sanitizer builds are build types of their own: Asan (AddressSanitizer with UBSan, no recovery) and Tsan.
# Fuzz is Asan plus libFuzzer's coverage, for clang.
set(_san_common "-O1 -g -fno-omit-frame-pointer")
set(CMAKE_C_FLAGS_ASAN "${_san_common} -fsanitize=address,undefined -fno-sanitize-recover=all" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_ASAN "${CMAKE_C_FLAGS_ASAN}" CACHE STRING "" FORCE)
set(CMAKE_EXE_LINKER_FLAGS_ASAN "-fsanitize=address,undefined" CACHE STRING "" FORCE)
set(CMAKE_SHARED_LINKER_FLAGS_ASAN "-fsanitize=address,undefined" CACHE STRING "" FORCE)

set(CMAKE_C_FLAGS_TSAN "${_san_common} -fsanitize=thread" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_TSAN "${CMAKE_C_FLAGS_TSAN}" CACHE STRING "" FORCE)
set(CMAKE_EXE_LINKER_FLAGS_TSAN "-fsanitize=thread" CACHE STRING "" FORCE)
set(CMAKE_SHARED_LINKER_FLAGS_TSAN "-fsanitize=thread" CACHE STRING "" FORCE)

set(CMAKE_C_FLAGS_FUZZ "${_san_common} -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all"
    CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_FUZZ "${CMAKE_C_FLAGS_FUZZ}" CACHE STRING "" FORCE)
set(CMAKE_EXE_LINKER_FLAGS_FUZZ "-fsanitize=address,undefined" CACHE STRING "" FORCE)
set(CMAKE_SHARED_LINKER_FLAGS_FUZZ "-fsanitize=address,undefined" CACHE STRING "" FORCE)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Debug CACHE STRING "" FORCE)
endif()
string(TOUPPER "${CMAKE_BUILD_TYPE}" IMAGETUNE_BUILD_TYPE_UPPER)
if(IMAGETUNE_BUILD_TYPE_UPPER MATCHES "^(ASAN|TSAN|FUZZ)$")
  set(IMAGETUNE_SANITIZED ON)
else()
  set(IMAGETUNE_SANITIZED OFF)
endif()
