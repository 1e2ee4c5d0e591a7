# ias_add_card_test(NAME name PROFILE profile.json READER 0|1 [TRACE file]
#                   COMMAND program args...)
#
# Registers one test that runs COMMAND while ias-vcard plays PROFILE in the
# vpcd reader "Virtual PCD 00 0<READER>" (scripts/with-vcard). The card is
# started before COMMAND and removed after it, inside the same test, so no
# other test can take the reader in between; tests on one reader hold a
# RESOURCE_LOCK on it and never overlap. COMMAND gets IAS_TEST_READER,
# IAS_VCARD_TRACE, IAS_VCARD_PIDFILE, IAS_VCARD_CTL and IAS_TEST_SOURCE_DIR.
# A relative PROFILE is taken from the source tree.
function(ias_add_card_test)
    cmake_parse_arguments(A "" "NAME;PROFILE;READER;TRACE" "COMMAND" ${ARGN})
    if(NOT A_TRACE)
        set(A_TRACE ${CMAKE_CURRENT_BINARY_DIR}/${A_NAME}.trace)
    endif()
    cmake_path(ABSOLUTE_PATH A_PROFILE BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
    add_test(NAME ${A_NAME}
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-vcard
            --reader ${A_READER}
            --trace ${A_TRACE}
            --pidfile ${CMAKE_BINARY_DIR}/ias-vcard-${A_READER}.pid
            --bin $<TARGET_FILE_DIR:ias-vcard>
            ${A_PROFILE} -- ${A_COMMAND})
    set_tests_properties(${A_NAME} PROPERTIES
        RESOURCE_LOCK vpcd_reader_${A_READER}
        FIXTURES_REQUIRED pcscd
        ENVIRONMENT "IAS_TEST_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
        TIMEOUT 300)
endfunction()
