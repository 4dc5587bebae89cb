# A folder that takes no new file while its page may still be written, as
# for an account allowed to write the page alone: made immutable, which
# binds root too, before the program runs, and freed after it. Where the
# file system has no immutable flag the folder stays open and the test skips.
set(sealed ${CMAKE_BINARY_DIR}/sealed-page-folder)
add_test(NAME ${target}_sealed_folder_make
    COMMAND /bin/sh -c "chattr -i '${sealed}' 2>/dev/null; rm -rf '${sealed}' && mkdir -p '${sealed}' && printf 'old\\r\\n' > '${sealed}/status.html' && printf 'old 1\\n' > '${sealed}/vigilor.prom' && { chattr +i '${sealed}' || true; }")
add_test(NAME ${target}_sealed_folder_free COMMAND /bin/sh -c "chattr -i '${sealed}' 2>/dev/null; rm -rf '${sealed}'")
set_tests_properties(${target}_sealed_folder_make PROPERTIES FIXTURES_SETUP ${target}_sealed_folder)
set_tests_properties(${target}_sealed_folder_free PROPERTIES FIXTURES_CLEANUP ${target}_sealed_folder)
set_property(TEST ${target} APPEND PROPERTY FIXTURES_REQUIRED ${target}_sealed_folder)
set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT "VIGILOR_SEALED_FOLDER=${sealed}")
