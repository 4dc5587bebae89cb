include(${CMAKE_SOURCE_DIR}/tests/support/ftp_server.cmake)
