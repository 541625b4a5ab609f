# The installed CMake package: find_package(LxCameraUtils CONFIG) gives
# LxCameraUtils::LxCameraUtils together with the stand-in libraries.
include(CMakePackageConfigHelpers)

install(EXPORT LxCameraUtilsTargets
  NAMESPACE LxCameraUtils::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LxCameraUtils)

configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/LxCameraUtilsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LxCameraUtilsConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LxCameraUtils)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/LxCameraUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/LxCameraUtilsConfig.cmake
  ${PROJECT_BINARY_DIR}/LxCameraUtilsConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LxCameraUtils)
