# Real SMTP servers with TLS and AUTH on the loopback for the whole test
# program ${target}; the program finds their folder (ports, certificates,
# received mails) in VIGILOR_SMTP_TLS.
set(smtp_tls_dir ${CMAKE_BINARY_DIR}/smtp-tls-${name})
set(smtp_tls_script ${CMAKE_SOURCE_DIR}/tests/support/smtp_tls_servers.py)
add_test(NAME ${target}_smtp_tls_start COMMAND /usr/bin/python3 ${smtp_tls_script} start ${smtp_tls_dir})
add_test(NAME ${target}_smtp_tls_stop COMMAND /usr/bin/python3 ${smtp_tls_script} stop ${smtp_tls_dir})
set_tests_properties(${target}_smtp_tls_start PROPERTIES FIXTURES_SETUP ${target}_smtp_tls TIMEOUT 60)
set_tests_properties(${target}_smtp_tls_stop PROPERTIES FIXTURES_CLEANUP ${target}_smtp_tls TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_smtp_tls)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SMTP_TLS=${smtp_tls_dir}")
