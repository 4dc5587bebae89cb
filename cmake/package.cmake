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

# Windows Installer keeps a product's version as major (0-255), minor
# (0-255) and build (0-65535) and ignores a fourth number: a version beyond
# those limits would be read as another one, and its package could not
# replace the installed one or be replaced by the next.
function(vigilor_check_package_version version)
    string(REPLACE "." ";" fields ${version})
    list(GET fields 0 major)
    list(GET fields 1 minor)
    list(GET fields 2 build)
    if(major GREATER 255 OR minor GREATER 255 OR build GREATER 65535)
        message(FATAL_ERROR "Version ${version} cannot be packaged: Windows Installer reads only the first three "
                            "numbers of a version, at most 255.255.65535, so that its package could not upgrade "
                            "an installed Vigilor or be upgraded. Choose a version within those limits.")
    endif()
endfunction()

set(VIGILOR_PACKAGE_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/build-package.sh ${CMAKE_SOURCE_DIR}/packaging/vigilor.wxs
    ${CMAKE_SOURCE_DIR}/packaging/edit-package.sh ${CMAKE_SOURCE_DIR}/packaging/check-package.sh)
function(vigilor_msi_command msi version dir)
    vigilor_check_package_version(${version})
    add_custom_command(OUTPUT ${msi}
        COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/packaging/build-package.sh ${dir}/vigilor.exe ${version}
                ${IMAGE_DIR}/green.ico ${msi}
        DEPENDS ${dir}/vigilor.exe ${IMAGE_DIR}/green.ico ${VIGILOR_PACKAGE_SCRIPTS})
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
    "VIGILOR_MSI=${VIGILOR_MSI};VIGILOR_RELEASE_PROGRAM=${VIGILOR_RELEASE_DIR}/vigilor.exe;VIGILOR_ICON=${IMAGE_DIR}/green.ico;VIGILOR_SCRATCH=${CMAKE_BINARY_DIR}/install-scratch;VIGILOR_VERSION=${PROJECT_VERSION};VIGILOR_NEXT_MSI=${VIGILOR_NEXT_MSI};VIGILOR_NEXT_VERSION=${VIGILOR_NEXT_VERSION};VIGILOR_PROBE=$<TARGET_FILE:install_probe>;VIGILOR_INSTALL_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-install")

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
