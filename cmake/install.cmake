# What `cmake --install` places under the prefix: the three programs, their
# manual pages, the desktop entry with its icons and AppStream metadata, and
# kestrelctl's completion. The Debian packages (debian/) split this tree.
include(GNUInstallDirs)

foreach(program kestrel kestrelctl kestrel-camsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The manual pages carry the project's version.
foreach(page kestrel kestrelctl kestrel-camsim)
  configure_file(docs/man/${page}.1 man/${page}.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The project's page: the AppStream metadata links it and its screenshots
# (the README's pictures under docs/images), and the component ID is its host
# name reversed (kestrel.example.org -> org.example.kestrel).
set(KESTREL_HOMEPAGE "https://kestrel.example.org"
    CACHE STRING "Web page of the project, where docs/images is published")

if(TARGET kestrel)
  install(FILES resources/kestrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES resources/icons/kestrel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kestrel.png)
  endforeach()
  install(FILES resources/icons/kestrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  string(REGEX REPLACE "^[a-z]+://([^/:]+).*" "\\1" host "${KESTREL_HOMEPAGE}")
  string(REPLACE "." ";" labels "${host}")
  list(REVERSE labels)
  list(JOIN labels "." KESTREL_APPSTREAM_ID)
  string(REPLACE "-" "_" KESTREL_APPSTREAM_ID "${KESTREL_APPSTREAM_ID}")
  # The release is the newest entry of debian/changelog: its version and day.
  file(STRINGS debian/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
  string(REGEX MATCH "([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" day "${trailer}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months "${CMAKE_MATCH_2}" month)
  math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
  string(LENGTH "${CMAKE_MATCH_1}" digits)
  set(KESTREL_RELEASE_DAY "${CMAKE_MATCH_1}")
  if(digits EQUAL 1)
    set(KESTREL_RELEASE_DAY "0${KESTREL_RELEASE_DAY}")
  endif()
  if(month LESS 10)
    set(month "0${month}")
  endif()
  set(KESTREL_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${KESTREL_RELEASE_DAY}")
  configure_file(resources/kestrel.metainfo.xml.in ${KESTREL_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${KESTREL_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The manual (F1 in the panel opens the README) with the documents it links.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrel)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrel/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "man" EXCLUDE)

if(TARGET kestrelctl)
  # The folder bash-completion loads completions from on demand, by command name.
  install(FILES tools/kestrelctl/kestrelctl.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME kestrelctl)
endif()
