set(silent_host_index 4)
include(${CMAKE_SOURCE_DIR}/tests/support/silent_host.cmake)
