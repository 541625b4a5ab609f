include(GenerateExportHeader)

# lx_add_standin(NAME src...): a stand-in for one of the suite's closed
# libraries. Its sources compile once, as NAMEObjects (further sources join
# there), into the shared library NAME, which hosts link (alias
# LxCameraUtils::NAME, installed into the exported package), and the static
# NAMEInternal, through which tests reach internals. Public headers lie in
# include/NAME; the export macro NAME_API (upper case) in the generated
# <NAME/Export.h>.
function(lx_add_standin name)
  add_library(${name}Objects OBJECT ${ARGN})
  target_include_directories(${name}Objects PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)
  target_compile_features(${name}Objects PUBLIC cxx_std_20)
  lx_set_warnings(${name}Objects)

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}Objects>)
  add_library(LxCameraUtils::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  string(TOUPPER ${name} upper)
  generate_export_header(${name} EXPORT_MACRO_NAME ${upper}_API
    EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/${name}/Export.h)

  add_library(${name}Internal STATIC)
  target_link_libraries(${name}Internal PUBLIC ${name}Objects)
  target_include_directories(${name}Internal PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src)

  install(TARGETS ${name} EXPORT LxCameraUtilsTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY include/${name} ${PROJECT_BINARY_DIR}/include/${name}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()

# lx_link_standin(NAME [PUBLIC|PRIVATE] lib...): links both forms of a
# stand-in.
function(lx_link_standin name)
  target_link_libraries(${name}Objects ${ARGN})
  target_link_libraries(${name} ${ARGN})
endfunction()
