include(${CMAKE_SOURCE_DIR}/tests/support/pdf_printer.cmake)
