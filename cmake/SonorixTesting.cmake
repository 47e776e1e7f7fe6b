# Test registration helpers: every test runs with a timeout, a private settings
# location and runtime directory, so no test reads or writes the user's own files.

set(SONORIX_TEST_HOME "${CMAKE_BINARY_DIR}/test-home")
file(MAKE_DIRECTORY "${SONORIX_TEST_HOME}/config" "${SONORIX_TEST_HOME}/runtime")
file(CHMOD "${SONORIX_TEST_HOME}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Qt and the GL drivers keep allocations until exit that LeakSanitizer would report, so leaks
# are looked for only in the programs of the plain C++ folders (sonorix_test_folder's LEAKS).
set(SONORIX_TEST_ENV_BASE
  "HOME=${SONORIX_TEST_HOME}"
  "XDG_CONFIG_HOME=${SONORIX_TEST_HOME}/config"
  "XDG_RUNTIME_DIR=${SONORIX_TEST_HOME}/runtime"
  "LC_ALL=C.UTF-8"
  "UBSAN_OPTIONS=print_stacktrace=1"
)
set(SONORIX_TEST_ENV ${SONORIX_TEST_ENV_BASE} "ASAN_OPTIONS=detect_leaks=0")

# sonorix_gtest(NAME SOURCES... LIBS ... [LABEL L] [LEAKS]): a GoogleTest program registered
# test by test, each test labelled L (the sanitizer stage picks its folders by label).
function(sonorix_gtest name)
  cmake_parse_arguments(ARG "LEAKS" "TIMEOUT;LABEL" "SOURCES;LIBS" ${ARGN})
  set(env ${SONORIX_TEST_ENV})
  if(ARG_LEAKS)
    set(env ${SONORIX_TEST_ENV_BASE} "ASAN_OPTIONS=detect_leaks=1")
  endif()
  if(NOT ARG_LABEL)
    set(ARG_LABEL ${name})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests/support")
  # Discovery writes the tests' properties out as one flat list, so a list-valued ENVIRONMENT
  # would keep only its first entry. The environment goes in through `env` as the tests'
  # launcher instead, for the listing and for every test.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "/usr/bin/env;${env}")
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS ${ARG_LABEL})
endfunction()

# sonorix_qttest(NAME SOURCES... LIBS ... [OPENGL]): a Qt Test program. Window tests run on the
# offscreen platform; those that draw with OpenGL need a real X server and run under xvfb-run.
function(sonorix_qttest name)
  cmake_parse_arguments(ARG "OPENGL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests/support")
  if(ARG_OPENGL)
    add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "${SONORIX_TEST_ENV};QT_QPA_PLATFORM=xcb")
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "${SONORIX_TEST_ENV};QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# sonorix_test_folder(PREFIX LIBS ... [LEAKS]): the tests of one folder. All test_*.cpp files
# form one GoogleTest program named PREFIX_tests, its tests labelled PREFIX (LEAKS: a plain C++
# folder, where the sanitizer build also looks for leaks); each tst_*.cpp is a Qt Test program
# of its own, and each tst_gl_*.cpp one that needs OpenGL on a real (virtual) X display.
function(sonorix_test_folder prefix)
  cmake_parse_arguments(ARG "LEAKS" "" "LIBS;QTLIBS" ${ARGN})
  file(GLOB gtests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp")
  if(gtests)
    set(leaks "")
    if(ARG_LEAKS)
      set(leaks LEAKS)
    endif()
    sonorix_gtest(${prefix}_tests SOURCES ${gtests} LIBS ${ARG_LIBS} LABEL ${prefix} ${leaks})
  endif()
  file(GLOB qtests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  foreach(src IN LISTS qtests)
    get_filename_component(base "${src}" NAME_WE)
    if(base MATCHES "^tst_gl_")
      sonorix_qttest(${prefix}_${base} OPENGL SOURCES ${src} LIBS ${ARG_LIBS} ${ARG_QTLIBS})
    else()
      sonorix_qttest(${prefix}_${base} SOURCES ${src} LIBS ${ARG_LIBS} ${ARG_QTLIBS})
    endif()
  endforeach()
endfunction()
