# A host that ignores echo requests, for the whole test program ${target};
# silent_host_index (1-254) must differ between the programs that use one.
set(silent_host_file ${CMAKE_BINARY_DIR}/silent-host-${name}.txt)
set(silent_host_script ${CMAKE_SOURCE_DIR}/tests/support/silent_host.sh)
add_test(NAME ${target}_silent_host_up
         COMMAND /bin/sh ${silent_host_script} up ${silent_host_index} ${silent_host_file})
add_test(NAME ${target}_silent_host_down COMMAND /bin/sh ${silent_host_script} down ${silent_host_index})
set_tests_properties(${target}_silent_host_up PROPERTIES FIXTURES_SETUP ${target}_silent TIMEOUT 60)
set_tests_properties(${target}_silent_host_down PROPERTIES FIXTURES_CLEANUP ${target}_silent TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_silent)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SILENT_HOST_FILE=${silent_host_file}")
