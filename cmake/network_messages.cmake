# The network-management message table, compiled from its text file.
set(VIGILOR_NETWORK_MESSAGES_TSV ${CMAKE_SOURCE_DIR}/net/network-error-messages.tsv)
set(VIGILOR_NETWORK_MESSAGES_CPP ${CMAKE_BINARY_DIR}/generated/network_messages_table.cpp)
add_custom_command(OUTPUT ${VIGILOR_NETWORK_MESSAGES_CPP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/scripts/make_network_messages.py
            ${VIGILOR_NETWORK_MESSAGES_TSV} ${VIGILOR_NETWORK_MESSAGES_CPP}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_network_messages.py ${VIGILOR_NETWORK_MESSAGES_TSV}
    COMMENT "Generating the network message table")
target_sources(vigilor_core PRIVATE ${VIGILOR_NETWORK_MESSAGES_CPP})
