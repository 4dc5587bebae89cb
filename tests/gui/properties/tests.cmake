include(${CMAKE_SOURCE_DIR}/tests/support/test_service/test_service.cmake)
