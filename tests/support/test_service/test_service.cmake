# The test service program, built once for every test folder that uses it;
# it lands next to the test programs, where the tests look for it.
if(NOT TARGET vigilor_test_service)
    add_executable(vigilor_test_service ${CMAKE_CURRENT_LIST_DIR}/vigilor_test_service_win.cpp)
    target_link_options(vigilor_test_service PRIVATE ${STATIC_RUNTIME} -municode)
endif()
add_dependencies(${target} vigilor_test_service)
