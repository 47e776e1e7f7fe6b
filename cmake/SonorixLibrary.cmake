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
  sonorix_translation_sources(${name})
endfunction()

# The English texts of a folder live in translations/<folder>_en.ts, so a folder's texts and
# their translation travel together. `cmake --build <dir> --target update_translations` brings
# every such file up to date with the sources (the core marks its texts with CoreText and
# SONORIX_TEXT_NOOP); the build turns them into the .qm files the program loads.
function(sonorix_translation_sources name)
  get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  set(ts "${PROJECT_SOURCE_DIR}/translations/${folder}_en.ts")
  if(NOT EXISTS "${ts}" OR NOT COMMAND qt_add_lupdate)
    return()
  endif()
  qt_add_lupdate(${name} TS_FILES "${ts}"
    OPTIONS -locations none -no-obsolete -source-language ru
            -tr-function-alias translate+=CoreText,QT_TRANSLATE_NOOP+=SONORIX_TEXT_NOOP)
endfunction()
