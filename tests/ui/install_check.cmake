# Installs the build into a fresh folder and checks that the program, its desktop entry and
# its icon land in the usual places and that the entry validates.
# -DBUILD_DIR=... -DPREFIX=... -DVALIDATE=path of desktop-file-validate
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f bin/ravdan share/applications/ravdan.desktop share/icons/hicolor/32x32/apps/ravdan.png)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
file(STRINGS ${PREFIX}/share/applications/ravdan.desktop entry)
foreach(line "Name=Ravdan" "Exec=ravdan" "Icon=ravdan" "Categories=Utility;")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()
execute_process(COMMAND ${VALIDATE} ${PREFIX}/share/applications/ravdan.desktop
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate refused the entry")
endif()
file(REMOVE_RECURSE ${PREFIX})
