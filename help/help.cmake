# The help file tillhelp.chm, compiled from the HTML sources in help/ and placed beside till.
find_program(CHMCMD_EXECUTABLE NAMES chmcmd chmcmd-3.2.2 REQUIRED)

file(GLOB_RECURSE HELP_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/help/*.hhp ${CMAKE_SOURCE_DIR}/help/*.hhc ${CMAKE_SOURCE_DIR}/help/*.html
    ${CMAKE_SOURCE_DIR}/help/*.css ${CMAKE_SOURCE_DIR}/help/images/*)

# chmcmd writes its output beside the project file, so it compiles a copy in the build tree.
set(HELP_WORK_DIR ${CMAKE_BINARY_DIR}/help)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/tillhelp.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${HELP_WORK_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${HELP_WORK_DIR}
    COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_WORK_DIR} ${CHMCMD_EXECUTABLE} --no-html-scan tillhelp.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_WORK_DIR}/tillhelp.chm ${CMAKE_BINARY_DIR}/tillhelp.chm
    DEPENDS ${HELP_SOURCES}
    COMMENT "Compiling the help file tillhelp.chm"
    VERBATIM)
add_custom_target(tillhelp ALL DEPENDS ${CMAKE_BINARY_DIR}/tillhelp.chm)

# The help viewer's test reads the compiled file; its target exists only once tests/ has been read.
function(till_help_test_dependency)
    if(TARGET tst_helpviewer)
        add_dependencies(tst_helpviewer tillhelp)
    endif()
endfunction()
cmake_language(DEFER CALL till_help_test_dependency)
