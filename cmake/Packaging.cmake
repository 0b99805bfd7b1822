# Installing and packaging: the file manager entries, the icon in every size, the software
# centres' description, the documents of the Debian package, and `cpack -G DEB`.

# The date of the release of PROJECT_VERSION (the metainfo's release and the package's changelog).
set(BRINDLE_RELEASE_DATE "2026-12-08")
set(BRINDLE_MAINTAINER "The Brindlewick developers <brindlewick@users.noreply.github.com>")
# Software centres show screenshots only from an https address: where docs/ is published.
set(BRINDLE_SCREENSHOT_URL "https://raw.githubusercontent.com/brindlewick/brindlewick/main/docs"
    CACHE STRING "The https address of the docs/ folder, for the screenshots of the metainfo file")

set(BRINDLE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(BRINDLE_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(BRINDLE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/brindlewick)

if(BRINDLE_GUI)
    # The Dolphin service menu, the Thunar Send To entry and the Nemo action name the installed
    # window program by its full path. The path is known only when installing (cmake --install
    # --prefix, DESTDIR, cpack), so they are written then, by the same code that writes a user's
    # own copies.
    add_executable(brindle_menu_entries ${BRINDLE_PACKAGING_DIR}/WriteMenuEntries.cpp)
    target_link_libraries(brindle_menu_entries PRIVATE brindle_core)
    install(CODE "
        set(_brindle_data \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
        set(_brindle_program \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/brindlewick\")
        message(STATUS \"Writing the file manager entries for \${_brindle_program}\")
        execute_process(COMMAND \"$<TARGET_FILE:brindle_menu_entries>\" \"\${_brindle_program}\" \"\${_brindle_data}\"
            RESULT_VARIABLE _brindle_result)
        if(NOT _brindle_result EQUAL 0)
            message(FATAL_ERROR \"The file manager entries could not be written\")
        endif()
        foreach(_brindle_entry kio/servicemenus/brindlewick.desktop Thunar/sendto/brindlewick.desktop
                nemo/actions/brindlewick.nemo_action)
            list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_brindle_data}/\${_brindle_entry}\")
        endforeach()
    ")

    # The icon in the sizes of the hicolor theme (drawn for 16 and 32 pixels, see render.sh).
    install(DIRECTORY ${BRINDLE_PACKAGING_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "*.png")

    # What software centres show.
    set(BRINDLE_METAINFO ${BRINDLE_PACKAGING_OUT}/io.github.brindlewick.Brindlewick.metainfo.xml)
    configure_file(${BRINDLE_PACKAGING_DIR}/metainfo/io.github.brindlewick.Brindlewick.metainfo.xml.in
        ${BRINDLE_METAINFO} @ONLY)
    install(FILES ${BRINDLE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The manual pages and the shell completions, when the sources have them.
file(GLOB BRINDLE_MAN_PAGES CONFIGURE_DEPENDS ${BRINDLE_PACKAGING_DIR}/man/*.1)
foreach(page IN LISTS BRINDLE_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    set(packed ${BRINDLE_PACKAGING_OUT}/man/${name}.gz)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${BRINDLE_PACKAGING_OUT}/man
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" _ ${page} ${packed}
        DEPENDS ${page} VERBATIM)
    list(APPEND BRINDLE_PACKED_MAN_PAGES ${packed})
endforeach()
if(BRINDLE_PACKED_MAN_PAGES)
    add_custom_target(brindlewick_man_pages ALL DEPENDS ${BRINDLE_PACKED_MAN_PAGES})
    install(FILES ${BRINDLE_PACKED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# Completions by their names: NAME.fish for fish, _NAME for zsh, NAME or NAME.bash for bash.
file(GLOB BRINDLE_COMPLETIONS CONFIGURE_DEPENDS ${BRINDLE_PACKAGING_DIR}/completions/*)
foreach(completion IN LISTS BRINDLE_COMPLETIONS)
    get_filename_component(name ${completion} NAME)
    if(name MATCHES "\\.fish$")
        install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
    elseif(name MATCHES "^_")
        install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    elseif(NOT name MATCHES "\\.(md|txt)$")
        string(REGEX REPLACE "\\.bash$" "" command ${name})
        install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME ${command})
    endif()
endforeach()

# The package's copyright file and its changelog (compressed without a time stamp, so the same
# sources give the same package).
execute_process(COMMAND date -u -R -d "${BRINDLE_RELEASE_DATE} 12:00:00"
    OUTPUT_VARIABLE BRINDLE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${BRINDLE_PACKAGING_DIR}/debian/changelog.in ${BRINDLE_PACKAGING_OUT}/changelog @ONLY)
set(BRINDLE_CHANGELOG_GZ ${BRINDLE_PACKAGING_OUT}/changelog.gz)
add_custom_command(OUTPUT ${BRINDLE_CHANGELOG_GZ}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" _ ${BRINDLE_PACKAGING_OUT}/changelog ${BRINDLE_CHANGELOG_GZ}
    DEPENDS ${BRINDLE_PACKAGING_OUT}/changelog VERBATIM)
add_custom_target(brindlewick_changelog ALL DEPENDS ${BRINDLE_CHANGELOG_GZ})
install(FILES ${BRINDLE_PACKAGING_DIR}/debian/copyright ${BRINDLE_CHANGELOG_GZ} DESTINATION ${BRINDLE_DOCDIR})

# cpack -G DEB in the build folder: brindlewick_<version>_<arch>.deb, installing below /usr.
set(CPACK_PACKAGE_NAME brindlewick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brindlewick developers")
set(CPACK_PACKAGE_CONTACT ${BRINDLE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename many files at once")
# The install steps see the final prefix (/usr) and write below DESTDIR: the file manager
# entries must name /usr/bin/brindlewick, not the folder the package is assembled in.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BRINDLE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dependency that dpkg-shlibdeps would write for the shared library file library (the one the
# build found): the line of its major version in the shlibs file of the package that holds it.
function(brindle_shlibs_dependency out library)
    set(${out} "" PARENT_SCOPE)
    get_filename_component(real ${library} REALPATH)
    get_filename_component(file ${real} NAME)
    if(NOT file MATCHES "^(lib[^.]+)\\.so\\.([0-9]+)")
        message(WARNING "No soname version in ${real}: the package will not depend on it")
        return()
    endif()
    set(pattern "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ")
    execute_process(COMMAND dpkg-query -S ${real} OUTPUT_VARIABLE owner RESULT_VARIABLE result ERROR_QUIET
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(result EQUAL 0)
        string(REGEX REPLACE ": .*" "" package "${owner}")
        execute_process(COMMAND dpkg-query --control-show ${package} shlibs OUTPUT_VARIABLE shlibs
            RESULT_VARIABLE result ERROR_QUIET)
    endif()
    if(NOT result EQUAL 0)
        message(WARNING "No package's shlibs file names ${real}: the package will not depend on it")
        return()
    endif()
    string(REPLACE "\n" ";" lines "${shlibs}")
    foreach(line IN LISTS lines)
        string(FIND "${line}" "${pattern}" at)
        if(at EQUAL 0)
            string(LENGTH "${pattern}" length)
            string(SUBSTRING "${line}" ${length} -1 dependency)
            set(${out} "${dependency}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(WARNING "The shlibs file of ${package} has no line for ${pattern}")
endfunction()

# Qt loads the SVG image format as a plugin at run time, which dpkg-shlibdeps cannot see; the
# window's icons are SVG. Nor does it see ICU and libxml2, which the programs load with dlopen
# on first need (core/base/LazyIcu.h, core/joblist/LazyLibxml2.h), or libavformat and
# libavutil, which the file facts module loads so on its first video.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
foreach(library ${ICU_UC_LIBRARY_RELEASE} ${ICU_I18N_LIBRARY_RELEASE} ${LIBXML2_LIBRARY}
        ${AVFORMAT_LINK_LIBRARIES})
    brindle_shlibs_dependency(dependency ${library})
    string(FIND "${CPACK_DEBIAN_PACKAGE_DEPENDS}, " ", ${dependency}, " known)
    if(dependency AND known EQUAL -1)
        string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${dependency}")
    endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brindlewick renames the files of a folder, and on request of its subfolders,
in one go. Build an ordered list of rename jobs (lower, upper or normalised
case, insert, remove or replace text, a zero-padded counter), try it on a
sample name, and press Go. A simulation shows the outcome as a tree and marks
names that would clash, an undo file in every folder puts the old names back,
and a log records every step.
.
The package holds the window program, brindlewick, and the command-line
program, brindlewick-cli, which runs the same job lists. Dolphin, Thunar
and Nemo offer the program for a selected folder; File, Place Brindlewick in
Send To adds it to Nautilus too.")
set(CPACK_GENERATOR DEB)
include(CPack)
