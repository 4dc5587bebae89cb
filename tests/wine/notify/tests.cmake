vigilor_test_server(${target} ${name} smtp_sink VIGILOR_SMTP_SINK)
vigilor_test_server(${target} ${name} smtp_tls_servers VIGILOR_SMTP_TLS)

# The small program the launch tests start.
add_executable(launch_probe ${folder}/probe/launch_probe.cpp)
target_link_options(launch_probe PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(${target} launch_probe)
