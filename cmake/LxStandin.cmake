# lx_add_standin(NAME src...): a stand-in for one of the suite's closed
# libraries, as a shared library with public headers in include/NAME, an
# alias LxCameraUtils::NAME, and install rules into the exported package.
function(lx_add_standin name)
  add_library(${name} SHARED ${ARGN})
  add_library(LxCameraUtils::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  lx_set_warnings(${name})
  install(TARGETS ${name} EXPORT LxCameraUtilsTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY include/${name} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()
