# cmake --install: headers under include/imagetune/, the libraries, plug-ins and tools, and a CMake package
# giving imagetune::imagetune, imagetune::qxplatform and imagetune::ia_sim.
include(CMakePackageConfigHelpers)

file(GLOB _pub_headers CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/libimagetune/include/*.h
  ${PROJECT_SOURCE_DIR}/libimagetune/support/*.h
  ${PROJECT_SOURCE_DIR}/interfaces/*.h
  ${PROJECT_SOURCE_DIR}/interfaces/platform/*.h
  ${PROJECT_SOURCE_DIR}/sim/platform/SimControl.h
  ${PROJECT_SOURCE_DIR}/sim/ia/IaSimControl.h)
install(FILES ${_pub_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/imagetune)

install(TARGETS imagetune_headers qxplatform ia_sim imagetune EXPORT imagetuneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT imagetuneTargets NAMESPACE imagetune:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/imagetune)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/imagetuneConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/imagetune)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/imagetuneConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/FindTinyXML.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/imagetune)
