vigilor_test_server(${target} ${name} ftp_server VIGILOR_FTP_SERVER)
