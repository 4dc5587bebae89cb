# The release file and its Windows Installer package.
#
# The release file is the program stripped (the build is optimised
# already); its debug information stays beside it, for reading crash
# addresses: release/vigilor.exe and release/vigilor.exe.debug.
function(vigilor_stripped target dir)
    file(MAKE_DIRECTORY ${dir})
    add_custom_command(OUTPUT ${dir}/vigilor.exe ${dir}/vigilor.exe.debug
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${dir}/vigilor.exe.debug
        COMMAND ${CMAKE_STRIP} --strip-all -o ${dir}/vigilor.exe $<TARGET_FILE:${target}>
        COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=vigilor.exe.debug vigilor.exe
        WORKING_DIRECTORY ${dir}
        DEPENDS ${target})
endfunction()

set(VIGILOR_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
vigilor_stripped(vigilor ${VIGILOR_RELEASE_DIR})

# wixl takes the files' paths relative to where it runs. The package is
# finished under another name, so that a failed edit leaves no package.
function(vigilor_msi_command msi version dir)
    file(RELATIVE_PATH program ${CMAKE_BINARY_DIR} ${dir}/vigilor.exe)
    file(RELATIVE_PATH icon ${CMAKE_BINARY_DIR} ${IMAGE_DIR}/green.ico)
    add_custom_command(OUTPUT ${msi}
        COMMAND wixl -a x64 -D Version=${version} -D ProgramFile=${program} -D IconFile=${icon} -o ${msi}.part
                ${CMAKE_SOURCE_DIR}/packaging/vigilor.wxs
        COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/packaging/set-conditions.sh ${msi}.part
        COMMAND ${CMAKE_COMMAND} -E rename ${msi}.part ${msi}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DEPENDS ${dir}/vigilor.exe ${IMAGE_DIR}/green.ico ${CMAKE_SOURCE_DIR}/packaging/vigilor.wxs
                ${CMAKE_SOURCE_DIR}/packaging/set-conditions.sh)
endfunction()

set(VIGILOR_MSI ${CMAKE_BINARY_DIR}/vigilor-${PROJECT_VERSION}.msi)
vigilor_msi_command(${VIGILOR_MSI} ${PROJECT_VERSION} ${VIGILOR_RELEASE_DIR})
add_custom_target(vigilor_msi ALL DEPENDS ${VIGILOR_MSI})

# For the install test: the same program and package one release later
# (Windows Installer compares the first three numbers of a version).
math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
set(VIGILOR_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch}.${PROJECT_VERSION_TWEAK})
set(next_rc ${CMAKE_BINARY_DIR}/next/vigilor.rc)
vigilor_resource_script(${next_rc} ${VIGILOR_NEXT_VERSION})
vigilor_program(vigilor_next ${next_rc})
set_target_properties(vigilor_next PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/next)
vigilor_stripped(vigilor_next ${CMAKE_BINARY_DIR}/next/release)
set(VIGILOR_NEXT_MSI ${CMAKE_BINARY_DIR}/next/vigilor-${VIGILOR_NEXT_VERSION}.msi)
vigilor_msi_command(${VIGILOR_NEXT_MSI} ${VIGILOR_NEXT_VERSION} ${CMAKE_BINARY_DIR}/next/release)
add_custom_target(vigilor_next_msi ALL DEPENDS ${VIGILOR_NEXT_MSI})

# Reads, from inside Wine, what the install test checks (the main window,
# a shortcut, a program file's version and its event messages) and moves
# the pointer for the release benchmark.
add_executable(install_probe ${CMAKE_SOURCE_DIR}/tests/install/install_probe_win.cpp)
target_link_libraries(install_probe PRIVATE vigilor_win)
target_link_options(install_probe PRIVATE ${STATIC_RUNTIME} -municode)

add_test(NAME msi_install COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/tests/install/msi_install_test.sh)
set_tests_properties(msi_install PROPERTIES TIMEOUT 600 ENVIRONMENT
    "VIGILOR_MSI=${VIGILOR_MSI};VIGILOR_VERSION=${PROJECT_VERSION};VIGILOR_NEXT_MSI=${VIGILOR_NEXT_MSI};VIGILOR_NEXT_VERSION=${VIGILOR_NEXT_VERSION};VIGILOR_PROBE=$<TARGET_FILE:install_probe>;VIGILOR_INSTALL_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-install")

# The service as the package installs it: a program that queries, starts
# and sends controls to a service (Wine's sc.exe has no pause, continue or
# control verbs), and the project's test service for the monitored rows.
add_executable(service_control ${CMAKE_SOURCE_DIR}/tests/install/service_control_win.cpp)
target_link_libraries(service_control PRIVATE vigilor_win)
target_link_options(service_control PRIVATE ${STATIC_RUNTIME} -municode)
set(target service_control)
include(${CMAKE_SOURCE_DIR}/tests/support/test_service/test_service.cmake)

add_test(NAME msi_service COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/tests/install/msi_service_test.sh)
set_tests_properties(msi_service PROPERTIES TIMEOUT 300 ENVIRONMENT
    "VIGILOR_MSI=${VIGILOR_MSI};VIGILOR_CONTROL=$<TARGET_FILE:service_control>;VIGILOR_TEST_SERVICE=$<TARGET_FILE:vigilor_test_service>;VIGILOR_SERVICE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-service;VIGILOR_SMTP_SINK=${CMAKE_BINARY_DIR}/smtp_sink-service")
