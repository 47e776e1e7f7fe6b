# Finds the Debian packages the build needs and names the package when one is missing,
# so a newcomer knows what to install instead of reading a CMake backtrace.

function(sonorix_require found package what)
  if(NOT ${found})
    message(FATAL_ERROR "${what} not found: install the Debian package '${package}' "
                        "(tools/setup.sh installs everything the build needs).")
  endif()
endfunction()

find_package(Threads REQUIRED)

find_package(PkgConfig QUIET)
sonorix_require(PkgConfig_FOUND pkg-config "pkg-config")
pkg_check_modules(FFTW3 QUIET IMPORTED_TARGET fftw3)
sonorix_require(FFTW3_FOUND libfftw3-dev "FFTW 3")
pkg_check_modules(SNDFILE QUIET IMPORTED_TARGET sndfile)
sonorix_require(SNDFILE_FOUND libsndfile1-dev "libsndfile")
find_package(CLI11 CONFIG QUIET)
sonorix_require(CLI11_FOUND libcli11-dev "CLI11")

if(SONORIX_TESTS)
  find_package(GTest QUIET)
  sonorix_require(GTest_FOUND libgtest-dev "GoogleTest")
endif()

if(SONORIX_BENCH)
  find_package(benchmark QUIET)
  sonorix_require(benchmark_FOUND libbenchmark-dev "Google Benchmark")
endif()

# QtCore is needed without the windows too: the settings store and the batch tool use it, and
# QtGui draws the reports the batch tool writes.
find_package(Qt6 QUIET COMPONENTS Core Gui)
sonorix_require(Qt6Core_FOUND qt6-base-dev "Qt 6 Core")
sonorix_require(Qt6Gui_FOUND qt6-base-dev "Qt 6 Gui")
# The translation tools build the English texts: the batch tool speaks them too.
find_package(Qt6 QUIET COMPONENTS LinguistTools)
sonorix_require(Qt6LinguistTools_FOUND qt6-tools-dev "Qt 6 translation tools")

if(SONORIX_GUI)
  find_package(Qt6 QUIET COMPONENTS Core Gui Widgets PrintSupport OpenGL OpenGLWidgets Svg Test)
  sonorix_require(Qt6Widgets_FOUND qt6-base-dev "Qt 6 Widgets")
  sonorix_require(Qt6OpenGLWidgets_FOUND libqt6opengl6-dev "Qt 6 OpenGL widgets")
  sonorix_require(Qt6Test_FOUND qt6-base-dev "Qt 6 Test")
  sonorix_require(Qt6Svg_FOUND qt6-svg-dev "Qt 6 Svg")

  set(OpenGL_GL_PREFERENCE LEGACY)
  find_package(OpenGL QUIET)
  sonorix_require(OPENGL_FOUND libgl-dev "OpenGL")

  find_package(QCustomPlotQt6 CONFIG QUIET)
  if(QCustomPlotQt6_FOUND)
    set(SONORIX_QCP_TARGET QCustomPlotQt6::QCustomPlotQt6)
  else()
    # The Qt 5 build is called QCustomPlot; linking it would mix Qt 5 into the process.
    find_library(SONORIX_QCP_LIBRARY NAMES QCustomPlotQt6)
    find_path(SONORIX_QCP_INCLUDE qcustomplot.h)
    sonorix_require(SONORIX_QCP_LIBRARY libqcustomplot2.1-qt6 "QCustomPlot (Qt 6 build)")
    sonorix_require(SONORIX_QCP_INCLUDE libqcustomplot-dev "qcustomplot.h")
    add_library(sonorix_qcp UNKNOWN IMPORTED)
    set_target_properties(sonorix_qcp PROPERTIES
      IMPORTED_LOCATION "${SONORIX_QCP_LIBRARY}"
      INTERFACE_INCLUDE_DIRECTORIES "${SONORIX_QCP_INCLUDE}")
    set(SONORIX_QCP_TARGET sonorix_qcp)
  endif()
  # Linking the shared library requires this define; never QCUSTOMPLOT_USE_OPENGL,
  # which Debian's build lacks and which changes class layouts.
  set_property(TARGET ${SONORIX_QCP_TARGET} APPEND PROPERTY
    INTERFACE_COMPILE_DEFINITIONS QCUSTOMPLOT_USE_LIBRARY)
endif()
