# Installs the build tree, checks the install components, then builds the consumer against the install twice,
# with CMake and with pkg-config (a Makefile), and runs both; also runs the installed imagetune-sim.
#   -DBUILD_DIR -DPREFIX -DCONSUMER_SRC -DCONSUMER_BUILD -DGENERATOR -DLIBDIR -DCXX [-DCROSS=ON] [-DDOCS=ON]
#   [-DPKG_CONFIG_LIBDIR=...] [-DEMULATOR=...]
# A cross build uses the toolchain file from the install, as a firmware build would.
function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${_rc}):\n${_out}\n${_err}")
  endif()
  set(RUN_OUTPUT "${_out}" PARENT_SCOPE)
endfunction()

function(expect_files prefix)
  cmake_parse_arguments(E "" "" "PRESENT;ABSENT" ${ARGN})
  foreach(_f IN LISTS E_PRESENT)
    # A link counts even when what it names is in another component.
    if(NOT EXISTS ${prefix}/${_f} AND NOT IS_SYMLINK ${prefix}/${_f})
      message(FATAL_ERROR "${prefix} lacks ${_f}")
    endif()
  endforeach()
  foreach(_f IN LISTS E_ABSENT)
    if(EXISTS ${prefix}/${_f} OR IS_SYMLINK ${prefix}/${_f})
      message(FATAL_ERROR "${prefix} should not hold ${_f}")
    endif()
  endforeach()
endfunction()

set(_lib ${LIBDIR})
set(_inc include/imagetune)
file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BUILD})

# Each component on its own: what goes on the camera, what a firmware build compiles against, and the kit.
foreach(_component runtime dev host contract)
  run_checked("cmake --install --component ${_component}"
              ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}-${_component} --component ${_component})
endforeach()
expect_files(${PREFIX}-runtime PRESENT ${_lib}/libimagetune.so.1 ${_lib}/imagetune/sensor_sc533hai.so
             ABSENT include ${_lib}/libimagetune.so bin ${_lib}/libqxplatform.so)
expect_files(${PREFIX}-dev PRESENT ${_inc}/ISensorController.h ${_inc}/Function.h ${_inc}/contract/QxFile.h
             ${_inc}/contract/ia_ctrl.h ${_lib}/libimagetune.so ${_lib}/pkgconfig/imagetune.pc
             ${_lib}/cmake/imagetune/imagetuneConfig.cmake ${_lib}/cmake/imagetune/imagetuneTargets.cmake
             ${_lib}/cmake/imagetune/toolchain-armhf.cmake
             ABSENT ${_inc}/host bin ${_lib}/libimagetune.so.1 ${_lib}/pkgconfig/imagetune-host.pc
             ${_lib}/cmake/imagetune/imagetuneHostTargets.cmake)
expect_files(${PREFIX}-host PRESENT bin/imagetune-sim ${_lib}/libqxplatform.so ${_lib}/libia_sim.so
             ${_inc}/host/SimControl.h ${_inc}/host/IaSimControl.h share/imagetune/fixtures/style/Style.xml
             ${_lib}/pkgconfig/imagetune-host.pc ${_lib}/cmake/imagetune/imagetuneHostTargets.cmake
             ABSENT ${_inc}/ISensorController.h ${_inc}/contract ${_lib}/libimagetune.so.1)
# The API reference goes with what a firmware build compiles against.
if(DOCS)
  expect_files(${PREFIX}-dev PRESENT share/doc/imagetune/html/index.html)
endif()
expect_files(${PREFIX}-contract PRESENT ${_lib}/imagetune/contract/libimagetune-platform-linkcheck.so
             ${_lib}/cmake/imagetune/imagetuneContractTargets.cmake
             ABSENT ${_lib}/libimagetune-platform-linkcheck.so ${_lib}/libqxplatform.so ${_lib}/libimagetune.so.1)
# The product's folder holds none of the headers that a platform SDK provides.
expect_files(${PREFIX}-dev ABSENT ${_inc}/QxFile.h ${_inc}/ia_ctrl.h ${_inc}/GThread.h ${_inc}/SimControl.h
             ${_inc}/DeviceRoot.h)
file(REMOVE_RECURSE ${PREFIX}-runtime ${PREFIX}-dev ${PREFIX}-host ${PREFIX}-contract)

# The library without the kit: asking for a component that is not there names it and how to install it.
foreach(_component runtime dev)
  run_checked("cmake --install --component ${_component}"
              ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}-lib --component ${_component})
endforeach()
set(_toolchain "")
if(CROSS)
  set(_toolchain -DCMAKE_TOOLCHAIN_FILE=${PREFIX}-lib/${_lib}/cmake/imagetune/toolchain-armhf.cmake)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SRC} -B ${CONSUMER_BUILD}/missing -G ${GENERATOR}
                        -DCMAKE_PREFIX_PATH=${PREFIX}-lib ${_toolchain}
                RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
# CMake wraps the message: read it as one line.
string(REGEX REPLACE "[ \n]+" " " _said "${_out}${_err}")
if(_rc EQUAL 0 OR NOT _said MATCHES "lacks its component \"host\": install it with cmake --install")
  message(FATAL_ERROR "a missing component was not named (status ${_rc}):\n${_out}\n${_err}")
endif()
file(REMOVE_RECURSE ${PREFIX}-lib ${CONSUMER_BUILD}/missing)

run_checked("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})

# The installed tool runs from this prefix as it is: no LD_LIBRARY_PATH.
file(MAKE_DIRECTORY ${CONSUMER_BUILD})
run_checked("the installed imagetune-sim" ${EMULATOR} ${PREFIX}/bin/imagetune-sim --root ${CONSUMER_BUILD}/device-root
            --quiet get brightness)
if(NOT RUN_OUTPUT MATCHES "\\(34,50\\)")
  message(FATAL_ERROR "the installed imagetune-sim answered: ${RUN_OUTPUT}")
endif()

set(_toolchain "")
if(CROSS)
  set(_toolchain -DCMAKE_TOOLCHAIN_FILE=${PREFIX}/${_lib}/cmake/imagetune/toolchain-armhf.cmake)
endif()
run_checked("configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SRC} -B ${CONSUMER_BUILD}/cmake -G ${GENERATOR}
            -DCMAKE_PREFIX_PATH=${PREFIX} ${_toolchain})
run_checked("building the consumer" ${CMAKE_COMMAND} --build ${CONSUMER_BUILD}/cmake)

# pkg-config: the install's own .pc files first; a cross build looks nowhere else but the target's folders.
set(_pc_env PKG_CONFIG_PATH=${PREFIX}/${_lib}/pkgconfig)
if(PKG_CONFIG_LIBDIR)
  set(_pc_env "PKG_CONFIG_LIBDIR=${PREFIX}/${_lib}/pkgconfig:${PKG_CONFIG_LIBDIR}")
endif()
file(MAKE_DIRECTORY ${CONSUMER_BUILD}/pkgconfig)
run_checked("building the consumer with pkg-config" ${CMAKE_COMMAND} -E env ${_pc_env}
            make -f ${CONSUMER_SRC}/Makefile SRC=${CONSUMER_SRC} OUT=${CONSUMER_BUILD}/pkgconfig CXX=${CXX})

set(_env ${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${PREFIX}/${_lib}")
foreach(_program ${CONSUMER_BUILD}/cmake/consumer ${CONSUMER_BUILD}/pkgconfig/consumer-pc)
  run_checked("${_program}" ${_env} ${EMULATOR} ${_program})
  message(STATUS "${RUN_OUTPUT}")
  if(NOT RUN_OUTPUT MATCHES "consumer ok")
    message(FATAL_ERROR "${_program} did not run: ${RUN_OUTPUT}")
  endif()
endforeach()
