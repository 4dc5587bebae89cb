target_compile_definitions(${target} PRIVATE VIGILOR_EXPECTED_VERSION="${PROJECT_VERSION}")
vigilor_test_server(${target} ${name} ftp_server VIGILOR_FTP_SERVER)
