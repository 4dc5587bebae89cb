# A real SMTP server on the loopback for the whole test program ${target};
# the program finds its folder (port file, received mails) in VIGILOR_SMTP_SINK.
set(smtp_sink_dir ${CMAKE_BINARY_DIR}/smtp-sink-${name})
set(smtp_sink_script ${CMAKE_SOURCE_DIR}/tests/support/smtp_sink.py)
add_test(NAME ${target}_smtp_sink_start COMMAND /usr/bin/python3 ${smtp_sink_script} start ${smtp_sink_dir})
add_test(NAME ${target}_smtp_sink_stop COMMAND /usr/bin/python3 ${smtp_sink_script} stop ${smtp_sink_dir})
set_tests_properties(${target}_smtp_sink_start PROPERTIES FIXTURES_SETUP ${target}_smtp TIMEOUT 60)
set_tests_properties(${target}_smtp_sink_stop PROPERTIES FIXTURES_CLEANUP ${target}_smtp TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_smtp)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SMTP_SINK=${smtp_sink_dir}")
