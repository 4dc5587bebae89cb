target_compile_definitions(${target} PRIVATE VIGILOR_EXPECTED_VERSION="${PROJECT_VERSION}")
