# SPDX-License-Identifier: GPL-3.0-or-later
# Installation under a prefix and the Debian package.
include(GNUInstallDirs)
# The package and the install test need only the programs, which are built first;
# installing must not build every test too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(mq_package mq-vista)
set(mq_contact "MQ-Vista maintainers <service@k-vor.invalid>")
# Debian wants the documentation under the package's name, not the CMake project's.
set(mq_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${mq_package})
set(mq_generated ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${mq_generated})

# The version lives in project() alone; the change log's newest release must name it,
# and its date dates the manual pages and the AppStream release.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md mq_releases REGEX "^## \\[[0-9]")
list(GET mq_releases 0 mq_newest_release)
if(NOT mq_newest_release MATCHES "^## \\[([^]]+)\\] - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
    message(FATAL_ERROR "CHANGELOG.md: the newest release heading '${mq_newest_release}' is not "
                        "'## [VERSION] - YYYY-MM-DD'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest release is ${CMAKE_MATCH_1}, the project version is "
                        "${PROJECT_VERSION}: give the version its entry in CHANGELOG.md")
endif()
set(MQ_RELEASE_DATE ${CMAKE_MATCH_2})

function(mq_gzip input output)
    execute_process(COMMAND gzip -9n -c ${input} OUTPUT_FILE ${output} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip ${input} failed")
    endif()
endfunction()

# A native package's changelog.gz is a Debian changelog: CHANGELOG.md written in that form.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/cmake/debian-changelog.sh)
execute_process(COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/debian-changelog.sh ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                        ${mq_package} "${mq_contact}"
                OUTPUT_FILE ${mq_generated}/changelog RESULT_VARIABLE mq_changelog_failed)
if(mq_changelog_failed)
    message(FATAL_ERROR "CHANGELOG.md could not be written as a Debian changelog")
endif()
mq_gzip(${mq_generated}/changelog ${mq_generated}/changelog.gz)

foreach(page mq-vista.1 mq-vista-cli.1 mq-sensor-sim.1)
    configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.in ${mq_generated}/${page} @ONLY)
    mq_gzip(${mq_generated}/${page} ${mq_generated}/${page}.gz)
    install(FILES ${mq_generated}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# AppStream wants the file named after the component id (reverse domain of the maker's address).
set(mq_metainfo invalid.k_vor.mq_vista.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/resources/mq-vista.metainfo.xml.in ${mq_generated}/${mq_metainfo} @ONLY)

install(TARGETS mq-vista mq-vista-cli mq-sensor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista-logo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/mq-vista)
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${mq_generated}/${mq_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista-icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME mq-vista.png)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${mq_generated}/changelog.gz
        DESTINATION ${mq_docdir})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${mq_package})

set(CPACK_PACKAGE_NAME ${mq_package})
set(CPACK_PACKAGE_VENDOR "K-VOR Sensor Technology")
set(CPACK_PACKAGE_CONTACT ${mq_contact})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control program for the K-VOR-MQ laser line-scan measuring sensors")
# Read here: CPack would escape a description file's apostrophes for XML.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/description)
file(READ ${CMAKE_SOURCE_DIR}/packaging/description CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The run-time dependencies are read off the binaries' shared libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugins and the change log's SQLite driver at run time; no
# library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_GENERATOR DEB)
include(CPack)
