# Cross build for Windows: the program, its Windows tests, run under Wine.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
set(VIGILOR_SYSTEM_LIBS comctl32 gdi32 user32 advapi32 shell32 ole32 version netapi32 mpr ws2_32 iphlpapi
    msimg32 comdlg32 winspool secur32 uuid wtsapi32 crypt32)

set(VIGILOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VIGILOR_GUI_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix-gui)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_SOURCE_DIR}/cmake/gui-run.sh.in ${CMAKE_BINARY_DIR}/gui-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wineprefix-init.sh.in ${CMAKE_BINARY_DIR}/wineprefix-init.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# Pictures drawn at build time.
set(IMAGE_DIR ${CMAKE_BINARY_DIR}/images)
add_custom_command(OUTPUT ${IMAGE_DIR}/green.ico
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/resources/make_images.py ${IMAGE_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_images.py)
add_custom_target(vigilor_images DEPENDS ${IMAGE_DIR}/green.ico)

# The event log's message table: a resource script and the identifiers
# the program reports its entries under.
set(MESSAGE_DIR ${CMAKE_BINARY_DIR}/messages)
add_custom_command(OUTPUT ${MESSAGE_DIR}/event_messages.rc ${MESSAGE_DIR}/event_messages.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MESSAGE_DIR}
    COMMAND x86_64-w64-mingw32-windmc -h ${MESSAGE_DIR} -r ${MESSAGE_DIR} ${CMAKE_SOURCE_DIR}/resources/event_messages.mc
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/event_messages.mc)
add_custom_target(vigilor_messages DEPENDS ${MESSAGE_DIR}/event_messages.rc ${MESSAGE_DIR}/event_messages.h)

# The resource script, for the program's version (one place defines it:
# the project's VERSION) or another one.
function(vigilor_resource_script path version)
    set(VIGILOR_FILE_VERSION ${version})
    string(REPLACE "." "," VIGILOR_FILE_VERSION_COMMAS ${version})
    configure_file(${CMAKE_SOURCE_DIR}/resources/vigilor.rc.in ${path} @ONLY)
    set_source_files_properties(${path} PROPERTIES OBJECT_DEPENDS "${IMAGE_DIR}/green.ico;${CMAKE_SOURCE_DIR}/resources/vigilor.manifest;${CMAKE_SOURCE_DIR}/resources/resource_ids.h;${MESSAGE_DIR}/event_messages.rc")
endfunction()
set(VIGILOR_RC ${CMAKE_BINARY_DIR}/vigilor.rc)
vigilor_resource_script(${VIGILOR_RC} ${PROJECT_VERSION})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${IMAGE_DIR} -I${MESSAGE_DIR} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}")
enable_language(RC)

add_library(vigilor_win STATIC ${VIGILOR_WIN_SOURCES})
add_dependencies(vigilor_win vigilor_messages)
target_include_directories(vigilor_win PUBLIC ${MESSAGE_DIR})
target_link_libraries(vigilor_win PUBLIC vigilor_core ${VIGILOR_SYSTEM_LIBS})

function(vigilor_program target rc)
    add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/app/winmain_win.cpp ${rc})
    add_dependencies(${target} vigilor_images vigilor_messages)
    target_link_libraries(${target} PRIVATE vigilor_win)
    target_link_options(${target} PRIVATE ${STATIC_RUNTIME} -municode)
endfunction()
vigilor_program(vigilor ${VIGILOR_RC})
include(cmake/package.cmake)

# GoogleTest built with the cross compiler.
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_test(NAME wine_prefix_init COMMAND ${CMAKE_BINARY_DIR}/wineprefix-init.sh)
set_tests_properties(wine_prefix_init PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)

file(GLOB TEST_SUPPORT_WIN CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_library(vigilor_test_support STATIC ${TEST_SUPPORT_WIN})
target_link_libraries(vigilor_test_support PUBLIC vigilor_win gtest gmock)

# A server of tests/support/<script>.py on the loopback for the whole test
# program target: started before it, stopped after it; the program finds
# the server's folder (ports, received files) in the environment variable.
function(vigilor_test_server target name script variable)
    set(dir ${CMAKE_BINARY_DIR}/${script}-${name})
    set(path ${CMAKE_SOURCE_DIR}/tests/support/${script}.py)
    add_test(NAME ${target}_${script}_start COMMAND /usr/bin/python3 ${path} start ${dir})
    add_test(NAME ${target}_${script}_stop COMMAND /usr/bin/python3 ${path} stop ${dir})
    set_tests_properties(${target}_${script}_start PROPERTIES FIXTURES_SETUP ${target}_${script} TIMEOUT 60)
    set_tests_properties(${target}_${script}_stop PROPERTIES FIXTURES_CLEANUP ${target}_${script} TIMEOUT 60)
    set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_${script})
    set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "${variable}=${dir}")
endfunction()

# One test program per folder of tests/wine (no display) and tests/gui (a
# virtual display of its own). A folder may add a tests.cmake of its own.
function(vigilor_wine_test_program folder kind)
    get_filename_component(name ${folder} NAME)
    set(target ${kind}_${name}_tests)
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_executable(${target} ${sources} ${VIGILOR_RC})
    add_dependencies(${target} vigilor_images vigilor_messages)
    target_link_libraries(${target} PRIVATE vigilor_test_support gtest_main)
    target_link_options(${target} PRIVATE ${STATIC_RUNTIME})
    if(kind STREQUAL gui)
        set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/gui-run.sh)
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
        ENVIRONMENT "VIGILOR_BUILD_DIR=${CMAKE_BINARY_DIR}")
    if(kind STREQUAL gui)
        # One GUI program at a time: they share the GUI prefix's desktop.
        set_tests_properties(${target} PROPERTIES RESOURCE_LOCK wine_gui_prefix)
    endif()
    if(EXISTS ${folder}/tests.cmake)
        include(${folder}/tests.cmake)
    endif()
endfunction()

foreach(kind wine gui)
    file(GLOB folders LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/${kind}/*)
    foreach(folder ${folders})
        if(IS_DIRECTORY ${folder})
            vigilor_wine_test_program(${folder} ${kind})
        endif()
    endforeach()
endforeach()

include(${CMAKE_SOURCE_DIR}/tests/metrics/metrics.cmake)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_win.cpp)
foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    # The program's resources, for the benchmarks that open its window.
    add_executable(${name} ${src} ${VIGILOR_RC})
    # Benchmarks measure against the project's test service.
    target_link_libraries(${name} PRIVATE vigilor_test_support)
    target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
    add_dependencies(${name} vigilor_test_service vigilor_images vigilor_messages)
endforeach()
