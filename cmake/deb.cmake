# The Debian package (make deb, which configures a tree of its own with -DKESMOR_DEB=ON and
# CMAKE_INSTALL_PREFIX=/usr). Debian wants the man page and the changelog compressed and the
# copyright file beside the changelog; `make install` keeps the plain man page.
set(KESMOR_MAINTAINER "The Kesmor developers <kesmor@users.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(KESMOR_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

# SOURCE_DATE_EPOCH, when set, fixes the date, so the same sources give the same package.
string(TIMESTAMP KESMOR_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in changelog @ONLY)

foreach(file kesmor.1 changelog)
    add_custom_command(OUTPUT ${file}.gz
        COMMAND gzip -9nkf ${file}
        DEPENDS ${PROJECT_BINARY_DIR}/${file}
        WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
endforeach()
add_custom_target(kesmor_deb_docs ALL DEPENDS kesmor.1.gz changelog.gz)

install(FILES ${PROJECT_BINARY_DIR}/kesmor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/cmake/copyright
    DESTINATION ${KESMOR_DOC_DIR})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KESMOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
# Lines of the long description stay under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Kesmor shows Gopher menus (RFC 1436) as lists to move through and open,\n\
and any other page as text to scroll. It follows links, sends searches,\n\
opens typed addresses, goes back and forward through the pages visited and\n\
reloads. Text from servers is filtered before it reaches the screen.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
