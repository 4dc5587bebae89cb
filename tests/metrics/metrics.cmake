# The metrics files of Vigilor instances read by the real monitoring stack
# (prometheus-node-exporter and prometheus, started by the test on the
# loopback): the program of passes the script drives, and the script.
add_executable(metrics_pass_tests ${CMAKE_CURRENT_LIST_DIR}/metrics_pass_win.cpp ${VIGILOR_RC})
add_dependencies(metrics_pass_tests vigilor_images vigilor_messages)
target_link_libraries(metrics_pass_tests PRIVATE vigilor_test_support gtest_main)
target_link_options(metrics_pass_tests PRIVATE ${STATIC_RUNTIME})
set(target metrics_pass_tests)
include(${CMAKE_SOURCE_DIR}/tests/support/test_service/test_service.cmake)

set(target metrics_stack)
set(name metrics)
add_test(NAME ${target} COMMAND /usr/bin/python3 -B ${CMAKE_CURRENT_LIST_DIR}/metrics_stack_test.py)
# The first instance runs in the GUI tests' prefix; the second in a prefix
# of its own, made on the first run.
set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_gui_prefix TIMEOUT 180
    SKIP_RETURN_CODE 77 ENVIRONMENT
    "VIGILOR_BUILD_DIR=${CMAKE_BINARY_DIR};VIGILOR_METRICS_PROGRAM=$<TARGET_FILE:metrics_pass_tests>;VIGILOR_METRICS_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-metrics")
set(silent_host_index 6)
include(${CMAKE_SOURCE_DIR}/tests/support/silent_host.cmake)

# The shipped alerting rules through Prometheus and Alertmanager to a
# webhook receiver, fed by one instance in the GUI tests' prefix.
add_test(NAME alerting_stack COMMAND /usr/bin/python3 -B ${CMAKE_CURRENT_LIST_DIR}/alerting_stack_test.py)
set_tests_properties(alerting_stack PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_gui_prefix TIMEOUT 240
    SKIP_RETURN_CODE 77 ENVIRONMENT
    "VIGILOR_BUILD_DIR=${CMAKE_BINARY_DIR};VIGILOR_METRICS_PROGRAM=$<TARGET_FILE:metrics_pass_tests>;VIGILOR_METRICS_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-metrics")
