# The binary interface of libimagetune.so against its baseline (abi/), by libabigail's abidiff.
#   cmake -DABIDIFF=<abidiff> -DABIDW=<abidw> -DLIBRARY=<lib> -DBASELINE=<file> -DHEADERS=<dirs> -DMODE=check|renew
#         [-DCHANGELOG=<CHANGELOG.md> -DVERSION=<x.y.z>] -P CheckAbi.cmake
# check: fails on any change abidiff finds harmful to an application linked against the baseline: a removed or
#        changed function or variable, or a changed type that one of them reaches (a data member added to
#        ISensorController, which applications build by value, is one). Added functions pass.
# renew: writes the baseline from the library. A library that breaks the baseline must come with a new SONAME
#        (the project's major version) and a CHANGELOG.md section for its version, or the baseline stays.
# Only the types of the public headers (HEADERS) count: the library's own types are no part of the interface.

set(_headers "")
foreach(_dir IN LISTS HEADERS)
  list(APPEND _headers --headers-dir ${_dir})
endforeach()

# The library's ABI is written as the baseline is, then the two are compared: both sides read alike.
function(abi_write file)
  execute_process(COMMAND ${ABIDW} --no-corpus-path --drop-private-types ${_headers} --out-file ${file} ${LIBRARY}
                  RESULT_VARIABLE _rc ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "abidw failed on ${LIBRARY}: ${_err}")
  endif()
endfunction()

function(abi_diff out_rc out_text)
  abi_write(${LIBRARY}.abi)
  # An added function keeps every caller working: the export table test holds additions to the list.
  execute_process(COMMAND ${ABIDIFF} --no-added-syms ${BASELINE} ${LIBRARY}.abi
                  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
  set(${out_rc} "${_rc}" PARENT_SCOPE)
  set(${out_text} "${_out}${_err}" PARENT_SCOPE)
endfunction()

# abidiff's status is a bit set: 1 error, 2 usage, 4 a change that may break callers, 8 one that does.
function(abi_breaks rc out)
  math(EXPR _bits "${rc} & 12")
  if(_bits EQUAL 0)
    set(${out} FALSE PARENT_SCOPE)
  else()
    set(${out} TRUE PARENT_SCOPE)
  endif()
endfunction()

function(soname_of file out)
  file(STRINGS ${file} _line REGEX "<abi-corpus " LIMIT_COUNT 1)
  string(REGEX MATCH "soname='([^']*)'" _m "${_line}")
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "renew")
  if(EXISTS ${BASELINE})
    abi_diff(_rc _text)
    abi_breaks(${_rc} _breaks)
    if(_breaks)
      soname_of(${BASELINE} _old)
      soname_of(${LIBRARY}.abi _new)
      if(_new STREQUAL _old)
        message(FATAL_ERROR "the library breaks the baseline ${BASELINE} and keeps its SONAME ${_old}: raise the "
                            "major version in CMakeLists.txt first.\n${_text}")
      endif()
      file(READ ${CHANGELOG} _log)
      string(FIND "${_log}" "\n## ${VERSION}" _at)
      if(_at EQUAL -1)
        message(FATAL_ERROR "the library breaks the baseline: CHANGELOG.md needs a section \"## ${VERSION}\" "
                            "that names the break under Breaking.\n${_text}")
      endif()
    endif()
  endif()
  abi_write(${BASELINE})
  message(STATUS "ABI baseline written: ${BASELINE}")
  return()
endif()

if(NOT EXISTS ${BASELINE})
  message(FATAL_ERROR "no ABI baseline ${BASELINE}: build the target imagetune_abi_baseline")
endif()
abi_diff(_rc _text)
math(EXPR _tool_error "${_rc} & 3")
if(NOT _tool_error EQUAL 0)
  message(FATAL_ERROR "abidiff could not compare ${LIBRARY} with ${BASELINE} (status ${_rc}):\n${_text}")
endif()
abi_breaks(${_rc} _breaks)
if(_breaks)
  message(FATAL_ERROR "${LIBRARY} breaks the binary interface of ${BASELINE} (abidiff status ${_rc}):\n${_text}\n"
                      "Undo the change, or make it a new major version: raise the version in CMakeLists.txt (the "
                      "SONAME follows), add a CHANGELOG.md section with a Breaking entry, and renew the baseline "
                      "(cmake --build --preset <preset> --target imagetune_abi_baseline).")
endif()
message(STATUS "${LIBRARY}: the binary interface of ${BASELINE} holds")
