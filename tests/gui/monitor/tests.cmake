include(${CMAKE_SOURCE_DIR}/tests/support/test_service/test_service.cmake)
include(${CMAKE_SOURCE_DIR}/tests/support/smtp_sink.cmake)
set(silent_host_index 5)
include(${CMAKE_SOURCE_DIR}/tests/support/silent_host.cmake)
