vigilor_test_server(${target} ${name} smtp_sink VIGILOR_SMTP_SINK)
vigilor_test_server(${target} ${name} smtp_tls_servers VIGILOR_SMTP_TLS)
