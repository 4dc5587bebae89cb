include(${CMAKE_SOURCE_DIR}/tests/support/smtp_sink.cmake)
include(${CMAKE_SOURCE_DIR}/tests/support/smtp_tls_servers.cmake)

# The small program the launch tests start.
add_executable(launch_probe ${folder}/probe/launch_probe.cpp)
target_link_options(launch_probe PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(${target} launch_probe)
