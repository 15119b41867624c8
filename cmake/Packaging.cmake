# Debian packages by CPack (`cpack` in the build directory, or `cpack -G DEB`):
#   quillmere      the window, its desktop entry, icon and AppStream metadata
#   quillmere-cli  quillmere-cli, and in libexec/quillmere the programs of its sweep, fit and
#                  optimise
# Their dependencies come from the shared libraries the programs link (dpkg-shlibdeps). Each
# command has a manual page made from its --help by help2man, with the sections a --help leaves
# out (EXIT STATUS, ENVIRONMENT, FILES, EXAMPLES) from cmake/debian/*.h2m; quillmere-files(5)
# describes the files the programs read. Each package carries the copyright file and the
# changelog that Debian's policy asks for, and the README with the examples.

set(quillmere_package_dir ${CMAKE_CURRENT_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${quillmere_package_dir})

# ---- manual pages: one a command, as `man quillmere-cli-sweep` is what one types ----------
# The commands of quillmere-cli have pages of their own, named as git names its commands': each
# help text is long, and a page that held all four would bury the one looked for.
find_program(QUILLMERE_HELP2MAN help2man)
find_program(QUILLMERE_GZIP gzip REQUIRED)
set(quillmere_man_pages)
if(QUILLMERE_HELP2MAN)
  # Makes page `name`.1.gz from the --help of `command...` (help2man runs a program: a command of
  # quillmere-cli is run by a small script named after the page), with the sections of the
  # window's or the command line's include file, the page's examples and the list of pages.
  function(quillmere_man_page name summary)
    set(debian ${PROJECT_SOURCE_DIR}/cmake/debian)
    if(name STREQUAL "quillmere")
      set(includes ${debian}/window.h2m)
    else()
      set(includes ${debian}/cli.h2m)
    endif()
    list(APPEND includes ${debian}/examples-${name}.h2m ${debian}/see-also.h2m)
    list(TRANSFORM includes PREPEND --include= OUTPUT_VARIABLE include_options)
    set(program ${ARGN})
    list(LENGTH program words)
    if(words GREATER 1)
      set(script ${quillmere_package_dir}/bin/${name})
      list(JOIN program " " line)
      file(GENERATE OUTPUT ${script} CONTENT "#!/bin/sh\nexec ${line} \"$@\"\n")
      set(program ${script})
      set(make_runnable COMMAND chmod +x ${script})
    else()
      set(make_runnable)
    endif()
    set(page ${quillmere_package_dir}/man/${name}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${quillmere_package_dir}/man
      ${make_runnable}
      COMMAND ${QUILLMERE_HELP2MAN} --no-info --no-discard-stderr --section=1
        --version-string=${PROJECT_VERSION} --name=${summary} ${include_options}
        --output=${page} ${program}
      COMMAND ${QUILLMERE_GZIP} -9nf ${page}
      DEPENDS ${includes} ${QUILLMERE_MAN_DEPENDS}
      COMMENT "Manual page ${name}(1)" VERBATIM)
    set(quillmere_man_pages ${quillmere_man_pages} ${page}.gz PARENT_SCOPE)
  endfunction()

  set(cli $<TARGET_FILE:quillmere-cli>)
  set(QUILLMERE_MAN_DEPENDS quillmere-cli)
  quillmere_man_page(quillmere-cli "simulate a coating dryer from the command line" ${cli})
  quillmere_man_page(quillmere-cli-run "run one dryer calculation" ${cli} run)
  quillmere_man_page(quillmere-cli-template "write the default inputs as a data file"
    ${cli} template)
  set(QUILLMERE_MAN_DEPENDS quillmere-cli quillmere-sweep)
  quillmere_man_page(quillmere-cli-sweep "run a grid of dryer calculations into one table"
    ${cli} sweep)
  set(QUILLMERE_MAN_DEPENDS quillmere-cli quillmere-fit)
  quillmere_man_page(quillmere-cli-fit "fit the fitting parameters to line measurements"
    ${cli} fit)
  if(TARGET quillmere-optimise)
    set(QUILLMERE_MAN_DEPENDS quillmere-cli quillmere-optimise)
    quillmere_man_page(quillmere-cli-optimise
      "find the line settings that meet every limit at the best objective" ${cli} optimise)
  endif()
  set(cli_pages ${quillmere_man_pages})
  set(quillmere_man_pages)
  if(TARGET quillmere)
    set(QUILLMERE_MAN_DEPENDS quillmere)
    quillmere_man_page(quillmere "simulate a coating dryer in a window" $<TARGET_FILE:quillmere>)
  endif()
  set(window_pages ${quillmere_man_pages})
  add_custom_target(quillmere_man_pages ALL DEPENDS ${cli_pages} ${window_pages})
  install(FILES ${cli_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
  install(FILES ${window_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
else()
  message(WARNING "help2man not found: the packages get no manual pages (run scripts/bootstrap)")
endif()

# ---- quillmere-files(5): data files, plant lines, solvent library, measurement files -----
# In the command line's package, which holds the solvent library it describes; the window's
# pages name it too.
string(TIMESTAMP QUILLMERE_MAN_DATE "%B %Y" UTC)  # SOURCE_DATE_EPOCH where it is set
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/quillmere-files.5
  ${quillmere_package_dir}/man/quillmere-files.5 @ONLY)
add_custom_command(OUTPUT ${quillmere_package_dir}/man/quillmere-files.5.gz
  COMMAND ${QUILLMERE_GZIP} -9nkf ${quillmere_package_dir}/man/quillmere-files.5
  DEPENDS ${quillmere_package_dir}/man/quillmere-files.5 VERBATIM)
add_custom_target(quillmere_files_page ALL
  DEPENDS ${quillmere_package_dir}/man/quillmere-files.5.gz)
install(FILES ${quillmere_package_dir}/man/quillmere-files.5.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man5 COMPONENT cli)

# ---- AppStream metadata of the window -------------------------------------------------
configure_file(${PROJECT_SOURCE_DIR}/src/app/quillmere.metainfo.xml
  ${quillmere_package_dir}/quillmere.metainfo.xml @ONLY)
install(FILES ${quillmere_package_dir}/quillmere.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)

# ---- copyright and changelog, in each package's documentation folder -----------------
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${quillmere_package_dir}/changelog
  @ONLY)
add_custom_command(OUTPUT ${quillmere_package_dir}/changelog.gz
  COMMAND ${QUILLMERE_GZIP} -9nkf ${quillmere_package_dir}/changelog
  DEPENDS ${quillmere_package_dir}/changelog VERBATIM)
add_custom_target(quillmere_changelog ALL DEPENDS ${quillmere_package_dir}/changelog.gz)
set(quillmere_components window cli)
set(quillmere_packages quillmere quillmere-cli)
foreach(component package IN ZIP_LISTS quillmere_components quillmere_packages)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${quillmere_package_dir}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  # The README, and the examples it runs: data files to load, trials with their measurements.
  install(FILES ${PROJECT_SOURCE_DIR}/README.md
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/examples/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}/examples COMPONENT ${component})
endforeach()

# ---- the packages ---------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
  "Quillmere maintainers <maintainers@users.noreply.c-seed-23ddbcf0.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET quillmere)
  list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE quillmere)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quillmere)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME quillmere-cli)
# Each package's own summary (its description's first line): CPack puts the project's summary
# before a component's description unless the summary is CPack's default one.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(quillmere_about "Quillmere simulates the drying section of a coating line: a coating of a
polymer in two solvents on a base film, through up to 14 dryer zones,
marched zone by zone with the web temperature and the residual solvent of
every step written to a result file.")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "coating line dryer simulator (window)
${quillmere_about}
.
This package holds the window: the input pages, the result file, and the
drying curves of a run, which can be kept, compared and drawn over
measurements from the line.")
set(CPACK_DEBIAN_CLI_DESCRIPTION "coating line dryer simulator (command line)
${quillmere_about}
.
This package holds quillmere-cli, which runs the calculation from data
files without a window and writes the run also as CSV or JSON, with its
sweeps over many cases on every core, its least-squares fits of the
model to line measurements, and its search for the settings that meet
every limit (residual, boiling, temperature, LEL, energy).")
include(CPack)
