# Installs the build into PREFIX and checks that every shipped file is where
# the desktop and the program look for it.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    bin/quillmark
    share/quillmark/orv_edit.ini
    share/quillmark/orv_sqledit.cfg
    share/quillmark/help/index.html
    share/applications/quillmark.desktop
    share/icons/hicolor/scalable/apps/quillmark.svg
    share/icons/hicolor/256x256/apps/quillmark.png
    share/icons/hicolor/48x48/apps/quillmark.png)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/quillmark/help/index.html help)
if(NOT help MATCHES "<title>Welcome to Quillmark</title>")
  message(FATAL_ERROR "the help page lacks its title")
endif()
file(READ ${PREFIX}/share/applications/quillmark.desktop entry)
foreach(line "Exec=quillmark %F\n" "Icon=quillmark" "Type=Application" "MimeType=application/sql;text/x-sql;")
  string(FIND "${entry}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
