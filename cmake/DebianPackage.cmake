# The Debian package, made by `cpack -G DEB` in the build folder: the LV2 bundle, the tools and
# the documentation in the layout of cmake/PackageLayout.cmake. They form an install component
# of their own, left out of a plain `cmake --install`, which keeps installing the bundle alone.
set(package_component debian)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Marrowfold developers <marrowfold@example.org>")

install(TARGETS marrowfold marrowfold_lv2 marrowfold_lv2_ui
    LIBRARY DESTINATION ${MARROWFOLD_PACKAGE_BUNDLE_DIR}
    COMPONENT ${package_component} EXCLUDE_FROM_ALL)
install(FILES
    ${MARROWFOLD_LV2_BUNDLE}/manifest.ttl
    ${MARROWFOLD_LV2_BUNDLE}/marrowfold.ttl
    ${MARROWFOLD_LV2_BUNDLE}/presets.ttl
    DESTINATION ${MARROWFOLD_PACKAGE_BUNDLE_DIR}
    COMPONENT ${package_component} EXCLUDE_FROM_ALL)
install(TARGETS marrowfold-render marrowfold-process
    RUNTIME DESTINATION ${MARROWFOLD_PACKAGE_TOOLS_DIR}
    COMPONENT ${package_component} EXCLUDE_FROM_ALL)

# Debian's copyright file in its machine-readable form, from LICENSE; and a compressed changelog.
set(debian_docs ${CMAKE_BINARY_DIR}/debian-docs)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)\n\n(.*)" license_parts "${license_text}")
set(license_holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" license_body)
string(REGEX REPLACE "\n\n" "\n.\n" license_body "${license_body}")
string(REGEX REPLACE "\n" "\n " license_body "${license_body}")
file(WRITE ${debian_docs}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: Marrowfold\n\n"
    "Files: *\nCopyright: ${license_holder}\nLicense: ISC\n ${license_body}\n")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${debian_docs}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${debian_docs}/changelog
    OUTPUT_FILE ${debian_docs}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${debian_docs}/copyright ${debian_docs}/changelog.gz
    DESTINATION ${MARROWFOLD_PACKAGE_DOC_DIR}
    COMPONENT ${package_component} EXCLUDE_FROM_ALL)

# A manual page for each tool, from its --help.
set(tool_summaries
    "marrowfold-render|render sound files through the Marrowfold effect"
    "marrowfold-process|run raw float audio through the Marrowfold effect")
set(manual_pages)
foreach(entry IN LISTS tool_summaries)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 tool)
    list(GET entry 1 summary)
    set(page ${debian_docs}/${tool}.1.gz)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:${tool}> -DNAME=${tool}
            "-DSUMMARY=${summary}" -DVERSION=${PROJECT_VERSION} -DOUTPUT=${page}
            -P ${CMAKE_CURRENT_LIST_DIR}/debian/ManPage.cmake
        DEPENDS ${tool} ${CMAKE_CURRENT_LIST_DIR}/debian/ManPage.cmake
        COMMENT "Writing the manual page of ${tool}")
    list(APPEND manual_pages ${page})
endforeach()
add_custom_target(marrowfold_manual_pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION ${MARROWFOLD_PACKAGE_MANUAL_DIR}
    COMPONENT ${package_component} EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${package_component};/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME marrowfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Marrowfold developers")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editor draws its text in the Liberation faces, which it finds through fontconfig.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# CPack indents the lines after the summary; "." is Debian's empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "four-band distortion effect as an LV2 plug-in
Marrowfold splits its input into four bands with movable edges, drives each
band into one of five transfer curves, levels it and sums the bands again.
.
This package holds the LV2 bundle with its own X11 editor and 41 factory
presets, for Ardour, jalv and other LV2 hosts, and the command-line tools
marrowfold-render (renders sound files through the effect) and
marrowfold-process (raw float audio).")
include(CPack)
