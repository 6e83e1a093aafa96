# Installation under a prefix and the Debian package.
include(GNUInstallDirs)
# The package and the install test need only the two programs, which are built first;
# installing must not build every test too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS mq-vista mq-sensor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista-logo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/mq-vista)
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/mq-vista-icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME mq-vista.png)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME mq-vista)
set(CPACK_PACKAGE_VENDOR "K-VOR Sensor Technology")
set(CPACK_PACKAGE_CONTACT "MQ-Vista maintainers <service@k-vor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control program for the K-VOR-MQ laser line-scan measuring sensors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The run-time dependencies are read off the binaries' shared libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugins at run time; no library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_GENERATOR DEB)
include(CPack)
