include(${CMAKE_SOURCE_DIR}/tests/support/smtp_sink.cmake)
