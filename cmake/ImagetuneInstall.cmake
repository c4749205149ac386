# cmake --install, in three components:
#   runtime  what goes on the camera: libimagetune.so.1 and the sensor plug-ins
#   dev      the product headers, the contract headers, the package files (CMake, pkg-config), the toolchain
#            file, and the libimagetune.so link
#   host     the workstation kit: the platform and IA stand-ins with their control headers, imagetune-sim, the
#            fixture documents, the imagetune::host target and imagetune-host.pc
#   contract the contract-only platform stand-in, for link checks only: lib/imagetune/contract/
#            libimagetune-platform-linkcheck.so and the imagetune::platform_linkcheck target
# Each header folder is an include folder of its own, so that a platform SDK's headers are never shadowed:
#   include/imagetune/           the product's headers (ISensorController.h, ...)
#   include/imagetune/contract/  what the library calls and the camera provides (ia_ctrl.h, QxFile.h, ...)
#   include/imagetune/host/      the stand-ins' control headers (SimControl.h, IaSimControl.h)
include(CMakePackageConfigHelpers)

set(IMAGETUNE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/imagetune)
set(IMAGETUNE_PRODUCT_INCLUDE ${CMAKE_INSTALL_INCLUDEDIR}/imagetune)
set(IMAGETUNE_CONTRACT_INCLUDE ${CMAKE_INSTALL_INCLUDEDIR}/imagetune/contract)
set(IMAGETUNE_HOST_INCLUDE ${CMAKE_INSTALL_INCLUDEDIR}/imagetune/host)

# ---- runtime and dev: the library
file(GLOB _product_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/libimagetune/include/*.h)
list(APPEND _product_headers ${PROJECT_BINARY_DIR}/libimagetune/include/ImagetuneVersion.h)
# The support headers that the public and contract headers include; the library's own helpers stay out.
foreach(_h IN LISTS IMAGETUNE_INSTALLED_SUPPORT_HEADERS)
  list(APPEND _product_headers ${PROJECT_SOURCE_DIR}/libimagetune/support/${_h})
endforeach()
file(GLOB _contract_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/interfaces/*.h
     ${PROJECT_SOURCE_DIR}/interfaces/platform/*.h)
install(FILES ${_product_headers} DESTINATION ${IMAGETUNE_PRODUCT_INCLUDE} COMPONENT dev)
install(FILES ${_contract_headers} DESTINATION ${IMAGETUNE_CONTRACT_INCLUDE} COMPONENT dev)

# Installed, the product headers are found as <imagetune/X.h> and as "X.h"; the contract folder is added by the
# package configuration (imagetuneConfig.cmake), which can leave it out for a platform SDK's own headers.
target_include_directories(imagetune_headers INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
                           $<INSTALL_INTERFACE:${IMAGETUNE_PRODUCT_INCLUDE}>)
add_library(imagetune_contract_headers INTERFACE)
set_target_properties(imagetune_contract_headers PROPERTIES EXPORT_NAME contract)
target_include_directories(imagetune_contract_headers INTERFACE $<INSTALL_INTERFACE:${IMAGETUNE_CONTRACT_INCLUDE}>)

install(TARGETS imagetune_headers imagetune_contract_headers imagetune EXPORT imagetuneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(EXPORT imagetuneTargets NAMESPACE imagetune:: DESTINATION ${IMAGETUNE_CMAKE_DIR} COMPONENT dev)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/imagetuneConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfig.cmake INSTALL_DESTINATION ${IMAGETUNE_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/FindTinyXML.cmake ${PROJECT_SOURCE_DIR}/cmake/toolchain-armhf.cmake
  DESTINATION ${IMAGETUNE_CMAKE_DIR} COMPONENT dev)

# pkg-config files name the prefix they are installed under (cmake --install --prefix P, or the configured
# prefix below a DESTDIR), so they are written at install time.
function(imagetune_install_pkgconfig name component)
  set(_template ${PROJECT_SOURCE_DIR}/cmake/${name}.pc.in)
  set(_staged ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc)
  install(CODE "
    set(PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(PC_VERSION \"${PROJECT_VERSION}\")
    set(PC_PRODUCT_CFLAGS \"-I\\\${includedir} -I\\\${includedir}/imagetune -I\\\${includedir}/imagetune/contract\")
    configure_file(\"${_template}\" \"${_staged}\" @ONLY)" COMPONENT ${component})
  install(FILES ${_staged} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
imagetune_install_pkgconfig(imagetune dev)

# ---- runtime: the sensor plug-ins install themselves (plugins/), into lib/imagetune.

# ---- host: the workstation kit
if(IMAGETUNE_HOST_KIT)
  # On a workstation the stand-ins take the place of what the camera's process provides.
  add_library(imagetune_host INTERFACE)
  add_library(imagetune::host ALIAS imagetune_host)
  set_target_properties(imagetune_host PROPERTIES EXPORT_NAME host)
  target_link_libraries(imagetune_host INTERFACE imagetune qxplatform ia_sim TinyXML::TinyXML Threads::Threads)
  target_include_directories(imagetune_host INTERFACE $<INSTALL_INTERFACE:${IMAGETUNE_HOST_INCLUDE}>)

  install(FILES ${PROJECT_SOURCE_DIR}/sim/platform/SimControl.h ${PROJECT_SOURCE_DIR}/sim/ia/IaSimControl.h
    DESTINATION ${IMAGETUNE_HOST_INCLUDE} COMPONENT host)
  install(TARGETS qxplatform ia_sim imagetune_host EXPORT imagetuneHostTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT host
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT host)
  install(EXPORT imagetuneHostTargets NAMESPACE imagetune:: DESTINATION ${IMAGETUNE_CMAKE_DIR} COMPONENT host)
  imagetune_install_pkgconfig(imagetune-host host)

  # A folder of its own, off the loader's path: a program linked against it for a link check does not run by
  # accident on a machine that has the real platform library.
  install(TARGETS qxplatform_contract EXPORT imagetuneContractTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/imagetune/contract COMPONENT contract)
  install(EXPORT imagetuneContractTargets NAMESPACE imagetune:: DESTINATION ${IMAGETUNE_CMAKE_DIR}
    COMPONENT contract)
endif()
