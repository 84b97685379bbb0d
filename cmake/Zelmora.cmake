# zelmora_library(NAME [QT] [DEPS lib...])
# Builds every .cpp of the current folder into a static library named NAME,
# with the repository root on the include path.
function(zelmora_library name)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    set(scope PUBLIC)
    add_library(${name} STATIC ${sources})
  else()
    set(scope INTERFACE)
    add_library(${name} INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} ${scope} ${ARG_DEPS} Threads::Threads)
  if(ARG_QT)
    target_link_libraries(${name} ${scope} Qt6::Widgets Qt6::Gui Qt6::Core)
  endif()
endfunction()

# zelmora_test(NAME [QT] [RESOURCES] [DEPS lib...])
# Builds every .cpp of the current test folder into one GoogleTest program
# and registers its tests with ctest. Qt tests run on the offscreen platform.
# RESOURCES registers the program's resources before the tests run.
function(zelmora_test name)
  cmake_parse_arguments(ARG "QT;RESOURCES" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ARG_RESOURCES)
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/support/program_resources.cpp)
    list(APPEND ARG_DEPS zel_resources)
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    ZELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(env "")
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/lsan_qt_suppressions.cpp)
    set(env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()
