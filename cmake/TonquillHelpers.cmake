# Strict warnings on our own targets only; third-party headers come in as system headers.
function(tonquill_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 at -O3 reports false overlaps in std::string concatenation (GCC bug 105329).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# tonquill_add_test(NAME SOURCES... [GUI] [LIBS libs...])
# A core test links the core library and GoogleTest's main; a GUI test links the window's
# libraries (app brings tree and ui) and a main that creates a QApplication on the offscreen
# platform.
function(tonquill_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  tonquill_strict(${name})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  if(T_GUI)
    target_link_libraries(${name} PRIVATE tonquill_app tonquill_test_support tonquill_gui_test_main GTest::gtest ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  else()
    target_link_libraries(${name} PRIVATE tonquill_core tonquill_test_support GTest::gtest_main ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()
