include(${CMAKE_SOURCE_DIR}/tests/support/test_service/test_service.cmake)
vigilor_test_server(${target} ${name} smtp_sink VIGILOR_SMTP_SINK)
set(silent_host_index 5)
include(${CMAKE_SOURCE_DIR}/tests/support/silent_host.cmake)
