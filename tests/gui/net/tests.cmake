# The host that ignores echo requests, for the whole test program.
set(silent_host_file ${CMAKE_BINARY_DIR}/silent-host-${name}.txt)
add_test(NAME ${target}_silent_host_up COMMAND /bin/sh ${folder}/silent_host.sh up ${silent_host_file})
add_test(NAME ${target}_silent_host_down COMMAND /bin/sh ${folder}/silent_host.sh down)
set_tests_properties(${target}_silent_host_up PROPERTIES FIXTURES_SETUP ${target}_silent TIMEOUT 60)
set_tests_properties(${target}_silent_host_down PROPERTIES FIXTURES_CLEANUP ${target}_silent TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_silent)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SILENT_HOST_FILE=${silent_host_file}")
