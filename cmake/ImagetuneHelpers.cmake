# Warnings as errors on our own code.
function(imagetune_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

function(imagetune_add_subdirectory_if_present dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# One piece of libimagetune per concern, from every .cpp in its folder: the objects are compiled once and go
# both into libimagetune.so and into a static library that tests link when they exercise only that piece.
#   imagetune_component(NAME <name> DIR <folder> [DEPS <targets...>])
function(imagetune_component)
  cmake_parse_arguments(C "" "NAME;DIR" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${C_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_library(${C_NAME}_obj OBJECT ${_src})
  # Hidden by default: libimagetune.so exports only what its headers mark IMAGETUNE_API.
  set_target_properties(${C_NAME}_obj PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${C_NAME}_obj PUBLIC ${C_DIR})
  # Usage requirements (include folders) of the pieces it builds on; the objects themselves link nothing.
  target_link_libraries(${C_NAME}_obj PUBLIC imagetune_headers PRIVATE ${C_DEPS})
  imagetune_warnings(${C_NAME}_obj)
  add_library(${C_NAME} STATIC $<TARGET_OBJECTS:${C_NAME}_obj>)
  target_include_directories(${C_NAME} PUBLIC ${C_DIR})
  target_link_libraries(${C_NAME} PUBLIC imagetune_headers ${C_DEPS})
  set_property(GLOBAL APPEND PROPERTY IMAGETUNE_COMPONENTS ${C_NAME})
endfunction()

# A GoogleTest executable, registered with ctest under its own name.
#   imagetune_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>] [TIMEOUT <s>])
function(imagetune_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} imagetune_test_support GTest::gtest GTest::gmock GTest::gtest_main
                        Threads::Threads)
  imagetune_warnings(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()
