include(${CMAKE_SOURCE_DIR}/tests/support/smtp_sink.cmake)
include(${CMAKE_SOURCE_DIR}/tests/support/smtp_tls_servers.cmake)
