# Real FTP servers on the loopback for the whole test program ${target};
# the program finds their folder (ports, served files, command logs) in
# VIGILOR_FTP_SERVER.
set(ftp_server_dir ${CMAKE_BINARY_DIR}/ftp-server-${name})
set(ftp_server_script ${CMAKE_SOURCE_DIR}/tests/support/ftp_server.py)
add_test(NAME ${target}_ftp_server_start COMMAND /usr/bin/python3 ${ftp_server_script} start ${ftp_server_dir})
add_test(NAME ${target}_ftp_server_stop COMMAND /usr/bin/python3 ${ftp_server_script} stop ${ftp_server_dir})
set_tests_properties(${target}_ftp_server_start PROPERTIES FIXTURES_SETUP ${target}_ftp TIMEOUT 60)
set_tests_properties(${target}_ftp_server_stop PROPERTIES FIXTURES_CLEANUP ${target}_ftp TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_ftp)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_FTP_SERVER=${ftp_server_dir}")
