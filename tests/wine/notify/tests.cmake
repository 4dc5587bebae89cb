# A real SMTP server on the loopback for the whole test program, and the
# small program the launch tests start.
set(smtp_sink_dir ${CMAKE_BINARY_DIR}/smtp-sink-${name})
add_test(NAME ${target}_smtp_sink_start
         COMMAND /usr/bin/python3 ${folder}/smtp_sink.py start ${smtp_sink_dir})
add_test(NAME ${target}_smtp_sink_stop
         COMMAND /usr/bin/python3 ${folder}/smtp_sink.py stop ${smtp_sink_dir})
set_tests_properties(${target}_smtp_sink_start PROPERTIES FIXTURES_SETUP ${target}_smtp TIMEOUT 60)
set_tests_properties(${target}_smtp_sink_stop PROPERTIES FIXTURES_CLEANUP ${target}_smtp TIMEOUT 60)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_smtp)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SMTP_SINK=${smtp_sink_dir}")

add_executable(launch_probe ${folder}/probe/launch_probe.cpp)
target_link_options(launch_probe PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(${target} launch_probe)
