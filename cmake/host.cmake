# Native build of the Windows-free code, its unit tests, benchmarks and the
# end-to-end suite that drives the Windows program under Wine.
option(UNINS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(UNINS_E2E "Build the end-to-end tests that run under Wine" ON)
option(UNINS_FUZZ "Build the fuzz targets (clang only)" OFF)

if(UNINS_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(unins_core STATIC ${CORE_SOURCES} src/common/platform_host.cpp)
target_include_directories(unins_core PUBLIC src)
target_compile_options(unins_core PRIVATE -Wall -Wextra -Wno-unused-parameter)
# the loader reports what it drops to the log checker and the tests
target_compile_definitions(unins_core PUBLIC UNINS_LOAD_OBSERVER)

add_subdirectory(tools/check)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE unins_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

add_subdirectory(tests/check)

# Tests of the shipped file first bring build/win32 up to date, so that
# none reads a stale program or passes over a missing one (the win32
# preset must be configured: make test does it).
add_test(NAME Win32Program COMMAND ${CMAKE_COMMAND} --build ${CMAKE_SOURCE_DIR}/build/win32)
set_tests_properties(Win32Program PROPERTIES FIXTURES_SETUP win32_program LABELS unit TIMEOUT 600)

# The shipped program's manifest and version resource, read from the built file
find_program(PYTHON3 python3)
find_program(WINDRES_I686 i686-w64-mingw32-windres)
add_test(NAME Resources.ManifestAndVersion
    COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tests/res/resources_test.py
            ${CMAKE_SOURCE_DIR}/build/win32/unins.exe ${PROJECT_VERSION} ${WINDRES_I686})
set_tests_properties(Resources.ManifestAndVersion PROPERTIES LABELS unit
    FIXTURES_REQUIRED win32_program)

# scripts/setup against stand-ins for the package tools
add_test(NAME Setup.HalfSyncedMirror COMMAND bash ${CMAKE_SOURCE_DIR}/tests/setup/setup_test.sh)
set_tests_properties(Setup.HalfSyncedMirror PROPERTIES LABELS unit)

if(UNINS_E2E)
    add_subdirectory(tests/wine)
endif()

if(UNINS_FUZZ)
    add_subdirectory(tests/fuzz)
endif()

add_subdirectory(bench)
