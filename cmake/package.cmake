# The release package: a ZIP with the program, its help pages and a readme
# in the code page Notepad on a Japanese Windows expects.
#
#   cmake --preset win32-release && cmake --build --preset win32-release
#   cd build/win32-release && cpack -G ZIP      -> plum_dock-1.00-win32.zip
#
# docs/readme_ja.txt is kept in UTF-8 with LF line ends; the build writes a
# Shift-JIS (code page 932) copy with CRLF line ends, which the package holds
# as readme.txt. That needs iconv on the build machine. The same file, run
# with `cmake -P`, does the conversion.

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DICONV=<iconv> -DIN=<utf-8 file> -DOUT=<cp932 file> -P package.cmake
  file(READ "${IN}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${OUT}.crlf" "${text}")
  execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP932 "${OUT}.crlf"
                  OUTPUT_FILE "${OUT}" RESULT_VARIABLE converted)
  file(REMOVE "${OUT}.crlf")
  if(NOT converted EQUAL 0)
    file(REMOVE "${OUT}")
    message(FATAL_ERROR "${IN} cannot be written in code page 932 (iconv: ${converted})")
  endif()
  return()
endif()

install(TARGETS plum_dock RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/src/browser/help/help.html DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/src/browser/help/help/index.html DESTINATION help)

find_program(PLUM_ICONV iconv)
if(PLUM_ICONV)
  set(readme_source ${PROJECT_SOURCE_DIR}/docs/readme_ja.txt)
  set(readme_sjis ${PROJECT_BINARY_DIR}/package/readme.txt)
  add_custom_command(OUTPUT ${readme_sjis}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND ${CMAKE_COMMAND} -DICONV=${PLUM_ICONV} -DIN=${readme_source} -DOUT=${readme_sjis}
            -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS ${readme_source} ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Writing readme.txt in Shift-JIS with CRLF line ends"
    VERBATIM)
  add_custom_target(plum_readme ALL DEPENDS ${readme_sjis})
  install(FILES ${readme_sjis} DESTINATION .)
else()
  message(WARNING "iconv not found: the package will have no readme.txt")
endif()

# "1.0.0" is shown to users as "1.00".
set(minor 00${PROJECT_VERSION_MINOR})
string(LENGTH "${minor}" minor_length)
math(EXPR minor_start "${minor_length} - 2")
string(SUBSTRING "${minor}" ${minor_start} 2 minor)
set(PLUM_RELEASE_VERSION ${PROJECT_VERSION_MAJOR}.${minor})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PLUM_RELEASE_SYSTEM win64)
else()
  set(PLUM_RELEASE_SYSTEM win32)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME plum_dock)
set(CPACK_PACKAGE_VENDOR plum_dock)
set(CPACK_PACKAGE_VERSION ${PLUM_RELEASE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Runs JDK tools on dropped Java files")
set(CPACK_PACKAGE_FILE_NAME plum_dock-${PLUM_RELEASE_VERSION}-${PLUM_RELEASE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
