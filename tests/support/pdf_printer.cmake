# A PDF printer as the default printer for the whole test program ${target};
# the program finds the folder its PDFs land in (out/) in VIGILOR_PDF_PRINTER.
set(pdf_printer_dir ${CMAKE_BINARY_DIR}/pdf-printer-${name})
set(pdf_printer_script ${CMAKE_SOURCE_DIR}/tests/support/pdf_printer.sh)
add_test(NAME ${target}_pdf_printer_up COMMAND /bin/sh ${pdf_printer_script} up ${pdf_printer_dir})
add_test(NAME ${target}_pdf_printer_down COMMAND /bin/sh ${pdf_printer_script} down ${pdf_printer_dir})
set_tests_properties(${target}_pdf_printer_up PROPERTIES FIXTURES_SETUP ${target}_printer TIMEOUT 60)
set_tests_properties(${target}_pdf_printer_down PROPERTIES FIXTURES_CLEANUP ${target}_printer TIMEOUT 60)
# One default printer for the machine: one program that sets it at a time.
set_tests_properties(${target}_pdf_printer_up ${target}_pdf_printer_down PROPERTIES RESOURCE_LOCK default_printer)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_printer)
set_property(TEST ${target} APPEND PROPERTY RESOURCE_LOCK default_printer)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_PDF_PRINTER=${pdf_printer_dir}")
