# What `cmake --install` places under the prefix: the three programs, their
# manual pages, the desktop entry with its icon and kestrelctl's completion.
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

if(TARGET kestrel)
  install(FILES resources/kestrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES resources/icons/kestrel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kestrel.png)
  endforeach()
  install(FILES resources/icons/kestrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
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
