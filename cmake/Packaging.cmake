# Installation where Debian puts games, and the Debian package that CPack makes from it.
include(GNUInstallDirs)

# Debian keeps games apart: commands in games/, static data in share/games/. The game itself is
# not a command (it must run beside its assets), so it goes to libexec/ behind the launcher.
set(GLIMMER_INSTALL_GAMESDIR games CACHE PATH "Folder of the glimmerdeep command")
set(glimmer_execdir ${CMAKE_INSTALL_LIBEXECDIR}/glimmerdeep)
set(glimmer_assetdir ${CMAKE_INSTALL_DATADIR}/games/glimmerdeep/assets)
set(glimmer_staging ${CMAKE_BINARY_DIR}/packaging)

# The game and the driver probe that its launcher runs first.
install(TARGETS glimmerdeep glimmerdeep-glcheck RUNTIME DESTINATION ${glimmer_execdir})
# The whole asset tree, whatever folders it holds, but not the local copy of the HUD font: the
# installed font path links to the system's Comfortaa instead (fonts-comfortaa). The icons go to
# the icon theme, not to the game.
install(DIRECTORY assets/ DESTINATION ${glimmer_assetdir}
    PATTERN Itim-Regular.ttf EXCLUDE PATTERN icons EXCLUDE)
set(GLIMMER_SYSTEM_FONT /usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf
    CACHE FILEPATH "The font that the installed HUD font path links to")
file(MAKE_DIRECTORY ${glimmer_staging})
file(CREATE_LINK ${GLIMMER_SYSTEM_FONT} ${glimmer_staging}/Itim-Regular.ttf SYMBOLIC)
install(FILES ${glimmer_staging}/Itim-Regular.ttf DESTINATION ${glimmer_assetdir}/fonts)

# The launcher finds the game and the assets relative to its own folder.
function(glimmer_from_launcher out path)
    cmake_path(ABSOLUTE_PATH GLIMMER_INSTALL_GAMESDIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
        OUTPUT_VARIABLE from)
    cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX} OUTPUT_VARIABLE to)
    file(RELATIVE_PATH relative ${from} ${to})
    set(${out} ${relative} PARENT_SCOPE)
endfunction()
glimmer_from_launcher(GLIMMER_LAUNCHER_TO_GAME ${glimmer_execdir}/glimmerdeep)
glimmer_from_launcher(GLIMMER_LAUNCHER_TO_PROBE ${glimmer_execdir}/glimmerdeep-glcheck)
glimmer_from_launcher(GLIMMER_LAUNCHER_TO_ASSETS ${glimmer_assetdir})
configure_file(packaging/glimmerdeep.sh.in ${glimmer_staging}/glimmerdeep @ONLY)
install(PROGRAMS ${glimmer_staging}/glimmerdeep DESTINATION ${GLIMMER_INSTALL_GAMESDIR})

# Menu entry, its icon at every size of the hicolor theme (made by glimmerdeep-assets, already laid
# out as the theme wants), the software centres' description, the manual page and the files Debian
# asks of every package: a copyright file and a changelog. The menu entry names the launcher by
# its full path, known only when installing: the package goes under /usr whatever prefix the build
# was configured with.
install(CODE "set(glimmer_desktop [[${PROJECT_SOURCE_DIR}/packaging/glimmerdeep.desktop.in]])
    set(glimmer_gamesdir [[${GLIMMER_INSTALL_GAMESDIR}]])
    set(glimmer_datadir [[${CMAKE_INSTALL_DATADIR}]])")
install(CODE [[
    cmake_path(ABSOLUTE_PATH glimmer_gamesdir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
        OUTPUT_VARIABLE GLIMMER_LAUNCHER)
    string(APPEND GLIMMER_LAUNCHER /glimmerdeep)
    set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${glimmer_datadir}/applications")
    string(APPEND entry /glimmerdeep.desktop)
    message(STATUS "Installing: ${entry}")
    configure_file("${glimmer_desktop}" "${entry}" @ONLY)
]])
install(DIRECTORY assets/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
configure_file(packaging/glimmerdeep.metainfo.xml.in
    ${glimmer_staging}/org.example.glimmerdeep.metainfo.xml @ONLY)
install(FILES ${glimmer_staging}/org.example.glimmerdeep.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The maintainer that the package and its changelog name.
set(CPACK_PACKAGE_CONTACT "Glimmerdeep maintainers <maintainers@glimmerdeep.example.org>")
configure_file(packaging/changelog.in ${glimmer_staging}/changelog.txt @ONLY)
# Debian wants the manual page and the changelog gzipped, with no time stamp in the header.
function(glimmer_gzip source name)
    add_custom_command(OUTPUT ${glimmer_staging}/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${glimmer_staging}/${name}
        COMMAND gzip -9nf ${glimmer_staging}/${name}
        DEPENDS ${source} VERBATIM)
endfunction()
glimmer_gzip(${glimmer_staging}/changelog.txt changelog)
glimmer_gzip(${PROJECT_SOURCE_DIR}/packaging/glimmerdeep.6 glimmerdeep.6)
add_custom_target(glimmer_packaging ALL
    DEPENDS ${glimmer_staging}/changelog.gz ${glimmer_staging}/glimmerdeep.6.gz)
install(FILES ${glimmer_staging}/glimmerdeep.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${glimmer_staging}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/glimmerdeep)

# The package: its library dependencies found from the binary by dpkg-shlibdeps, plus the font.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmerdeep)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-comfortaa)
# notify-send shows why a start from the menu failed; the game runs without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libnotify-bin)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "first-person gem hunt in a walled stone pit
Walk a stone pit lit by a low sun, coloured lamps and your flashlight, and
find the three gems hidden in it; water, acid and moving spikes end the game.
Each player's settings live under ~/.local/share/glimmerdeep.
Needs an OpenGL 4.6 core context.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
