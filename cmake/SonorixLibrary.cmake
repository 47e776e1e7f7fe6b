# sonorix_library(NAME [QT|CORE] LIBS ...): a static library of the .cpp/.h/.ui files in the
# calling folder (not its subfolders). QT turns on moc/uic and the precompiled chart header;
# CORE links QtCore alone, for libraries the batch tool uses.
function(sonorix_library name)
  cmake_parse_arguments(ARG "QT;CORE" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h"
    "${CMAKE_CURRENT_SOURCE_DIR}/*.ui" "${CMAKE_CURRENT_SOURCE_DIR}/*.qrc")
  set(qt_libs "")
  if(ARG_QT)
    set(qt_libs Qt6::Widgets ${SONORIX_QCP_TARGET})
  elseif(ARG_CORE)
    set(qt_libs Qt6::Core)
  endif()
  if(NOT sources MATCHES "\\.cpp")
    # A subsystem whose windows have not landed yet: headers only, or nothing.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${CMAKE_CURRENT_SOURCE_DIR}")
    target_link_libraries(${name} INTERFACE ${ARG_LIBS} ${qt_libs})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} ${qt_libs})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
    target_precompile_headers(${name} PRIVATE <qcustomplot.h>)
  endif()
endfunction()
