# What `cmake --install` puts where, besides the programs (whose rules sit beside their targets):
# the freedesktop files (menu entry, file types, thumbnailer, icons), the manual pages, the help
# pages the desktop program opens and the examples. Layout under the prefix:
#
#   bin/                                   morvane, morvane-cli, morvane-thumbnail
#   share/applications/morvane.desktop     menu entry
#   share/mime/packages/morvane.xml        file types of projects and stroke drawings
#   share/thumbnailers/morvane.thumbnailer thumbnails in file managers
#   share/icons/hicolor/*/apps/            the application icon (SVG and PNG sizes)
#   share/man/man1/                        morvane.1, morvane-cli.1, morvane-thumbnail.1 (gzip)
#   share/morvane/                         help pages (README.md, docs/) and examples/
#   share/doc/morvane/                     copyright and changelog
#
# The build folder mirrors share/icons, so that a program run from build/bin finds its icon the
# way an installed one does.

set(MORVANE_DATA ${PROJECT_SOURCE_DIR}/data)
set(MORVANE_SHARE ${CMAKE_INSTALL_DATADIR})

# ---- icon: PNG renderings of the SVG ----------------------------------------------------------
set(MORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert)
set(icon_outputs)
if(RSVG_CONVERT)
    foreach(size ${MORVANE_ICON_SIZES})
        set(folder ${CMAKE_BINARY_DIR}/share/icons/hicolor/${size}x${size}/apps)
        set(png ${folder}/morvane.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png
                    --output=${png} ${MORVANE_DATA}/icons/morvane.svg
            DEPENDS ${MORVANE_DATA}/icons/morvane.svg
            COMMENT "Rendering the ${size}x${size} icon"
            VERBATIM)
        list(APPEND icon_outputs ${png})
        install(FILES ${png} DESTINATION ${MORVANE_SHARE}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the SVG icon is installed")
endif()
add_custom_target(morvane_icons ALL DEPENDS ${icon_outputs})
install(FILES ${MORVANE_DATA}/icons/morvane.svg
        DESTINATION ${MORVANE_SHARE}/icons/hicolor/scalable/apps)

# ---- manual pages and changelog, compressed as Debian wants them --------------------------------
configure_file(${MORVANE_DATA}/debian/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
set(gzipped)
# morvane_gzip(SOURCE OUTPUT): a reproducible gzip -9 copy (no name, no time stamp).
function(morvane_gzip source output)
    get_filename_component(folder ${output} DIRECTORY)
    string(REGEX REPLACE "\\.gz$" "" plain ${output})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
        COMMAND gzip -9nf ${plain}
        DEPENDS ${source}
        VERBATIM)
endfunction()
foreach(page morvane morvane-cli morvane-thumbnail)
    set(output ${CMAKE_BINARY_DIR}/man/man1/${page}.1.gz)
    morvane_gzip(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${output})
    list(APPEND gzipped ${output})
    install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
morvane_gzip(${CMAKE_BINARY_DIR}/doc/changelog ${CMAKE_BINARY_DIR}/doc/gz/changelog.gz)
list(APPEND gzipped ${CMAKE_BINARY_DIR}/doc/gz/changelog.gz)
add_custom_target(morvane_manuals ALL DEPENDS ${gzipped})

# ---- desktop integration ---------------------------------------------------------------------
install(FILES ${MORVANE_DATA}/morvane.desktop DESTINATION ${MORVANE_SHARE}/applications)
install(FILES ${MORVANE_DATA}/morvane-mime.xml DESTINATION ${MORVANE_SHARE}/mime/packages
        RENAME morvane.xml)
install(FILES ${MORVANE_DATA}/morvane.thumbnailer DESTINATION ${MORVANE_SHARE}/thumbnailers)

# ---- help pages, examples, copyright --------------------------------------------------------
# The help pages keep their places relative to each other (README.md shows docs/examples/*.gif).
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${MORVANE_SHARE}/morvane)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${MORVANE_SHARE}/morvane/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/examples DESTINATION ${MORVANE_SHARE}/morvane/docs
        FILES_MATCHING PATTERN "*.gif")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${MORVANE_SHARE}/morvane/examples
        FILES_MATCHING PATTERN "*.strk" PATTERN "*.mrva")
install(FILES ${MORVANE_DATA}/debian/copyright ${CMAKE_BINARY_DIR}/doc/gz/changelog.gz
        DESTINATION ${MORVANE_SHARE}/doc/morvane)
