# Install rules for everything beside the library itself (SRC/CMakeLists.txt
# installs libias, its headers, the CMake package and ias.pc). Tools and man
# pages are installed when the tree has them, so a tool added later only needs
# its target and its page.

# A string, not a PATH: CMake would make a relative PATH absolute in the build tree.
set(IAS_CONFIG_INSTALL_DIR "/etc/Quovanta" CACHE STRING
    "Where the default configuration goes (QV_PATH's default); relative to the prefix when relative")

foreach(tool ias-tool ias-vcard)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
    endif()
endforeach()
foreach(page tools/ias-tool/ias-tool.1 tools/ias-vcard/ias-vcard.1)
    if(EXISTS ${PROJECT_SOURCE_DIR}/${page})
        install(FILES ${PROJECT_SOURCE_DIR}/${page}
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
    endif()
endforeach()

# The sample cards double as examples of card profiles for ias-vcard.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/cards/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/ias/cards COMPONENT tools)

# The configuration is the administrator's once installed: a file already
# there is kept, only missing ones are added. DESTDIR is honoured so that
# packaging and staged installs never touch the live /etc.
install(CODE "
    set(src \"${PROJECT_SOURCE_DIR}/config\")
    set(dest \"${IAS_CONFIG_INSTALL_DIR}\")
    if(NOT IS_ABSOLUTE \"\${dest}\")
        set(dest \"\${CMAKE_INSTALL_PREFIX}/\${dest}\")
    endif()
    file(GLOB_RECURSE files RELATIVE \"\${src}\" \"\${src}/*\")
    foreach(f IN LISTS files)
        # file(INSTALL) adds DESTDIR itself; the check must add it by hand.
        if(EXISTS \"\$ENV{DESTDIR}\${dest}/\${f}\")
            message(STATUS \"Kept existing: \$ENV{DESTDIR}\${dest}/\${f}\")
        else()
            get_filename_component(dir \"\${dest}/\${f}\" DIRECTORY)
            file(INSTALL \"\${src}/\${f}\" DESTINATION \"\${dir}\"
                FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        endif()
    endforeach()
" COMPONENT config)
