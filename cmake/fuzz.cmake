# Fuzz build: the portable logic under libFuzzer with ASan and UBSan, one
# program per parser of outside input (fuzz/<name>.cpp, seeds in
# fuzz/corpus/<name>/). Needs clang: CC=clang CXX=clang++.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (CC=clang CXX=clang++), not ${CMAKE_CXX_COMPILER_ID}")
endif()

# Every finding must stop the run: no sanitizer recovers.
set(FUZZ_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(vigilor_core PRIVATE -fsanitize=fuzzer-no-link ${FUZZ_SANITIZE})

file(GLOB FUZZ_TARGET_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(src ${FUZZ_TARGET_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${FUZZ_SANITIZE})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer ${FUZZ_SANITIZE})
    target_link_libraries(${name} PRIVATE vigilor_core)
endforeach()
