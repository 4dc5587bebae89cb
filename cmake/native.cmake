# Host build: the portable logic and its unit tests, with sanitizers.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
target_compile_options(vigilor_core PRIVATE ${SANITIZE})

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE UNIT_TEST_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
list(FILTER UNIT_TEST_SOURCES EXCLUDE REGEX "_win\\.cpp$")
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_compile_options(unit_tests PRIVATE ${SANITIZE})
target_link_options(unit_tests PRIVATE ${SANITIZE})
target_link_libraries(unit_tests PRIVATE vigilor_core GTest::gtest_main GTest::gmock)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Benchmarks of the portable logic: programs that print figures, not tests.
file(GLOB NATIVE_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
list(FILTER NATIVE_BENCH_SOURCES EXCLUDE REGEX "_win\\.cpp$")
foreach(src ${NATIVE_BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE ${SANITIZE})
    target_link_options(${name} PRIVATE ${SANITIZE})
    target_link_libraries(${name} PRIVATE vigilor_core)
endforeach()

# The shipped alerting rules: valid, and their unit tests pass. Skipped
# where Prometheus' promtool is not installed.
foreach(check "check rules ${CMAKE_SOURCE_DIR}/packaging/prometheus/vigilor-rules.yml"
              "test rules ${CMAKE_SOURCE_DIR}/tests/metrics/vigilor_rules_test.yml")
    string(REGEX MATCH "^[a-z]+" verb "${check}")
    add_test(NAME prometheus_rules_${verb} COMMAND /bin/sh -c
        "command -v promtool >/dev/null || { echo 'SKIP: promtool is not installed'; exit 77; }; exec promtool ${check}")
    set_tests_properties(prometheus_rules_${verb} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()
