# The release package: `cmake --build <build> --target package` makes
# Quorvane-<version>-win64.zip with what a plain install lays out (the two
# programs and the settings library) and the read-me files. The builder
# stand-in stays out: its install component is excluded from the default.
foreach(readme README.txt README.zh-CN.txt)
  # Notepad reads them: UTF-8 with its mark (kept from the source), CRLF.
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${readme}.in ${CMAKE_BINARY_DIR}/packaging/${readme}
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${readme} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvane)
set(CPACK_PACKAGE_VENDOR "Ostrel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Quorvane-${PROJECT_VERSION}-win64)
# One folder inside the zip, named like the zip, so unpacking never spills.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
