cmake_minimum_required(VERSION 3.21)

# Installs the build into a fresh folder and checks the layout the program
# relies on: the program and both driver libraries together, reached
# through a relative link in bin, with the menu entry and its icons.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P checkinstall.cmake

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(failures "")
foreach(file lib/fptr-t/fptr_t lib/fptr-t/libfptr.so lib/fptr-t/librcpprn.so
        share/applications/fptr-t.desktop
        share/icons/hicolor/16x16/apps/fptr-t.png
        share/icons/hicolor/32x32/apps/fptr-t.png
        share/icons/hicolor/64x64/apps/fptr-t.png)
    if(NOT EXISTS ${PREFIX}/${file} OR IS_SYMLINK ${PREFIX}/${file})
        list(APPEND failures "${file} is not installed as a file")
    endif()
endforeach()

if(NOT IS_SYMLINK ${PREFIX}/bin/fptr_t)
    list(APPEND failures "bin/fptr_t is not a link")
else()
    file(READ_SYMLINK ${PREFIX}/bin/fptr_t target)
    if(NOT target STREQUAL "../lib/fptr-t/fptr_t")
        list(APPEND failures "bin/fptr_t leads to ${target}, not ../lib/fptr-t/fptr_t")
    endif()
    file(REAL_PATH ${PREFIX}/bin/fptr_t real)
    file(REAL_PATH ${PREFIX}/lib/fptr-t/fptr_t program)
    if(NOT real STREQUAL program)
        list(APPEND failures "bin/fptr_t does not reach the program")
    endif()
endif()

# The menu starts the program by the name the link gives it, with the icon
# installed under the same name.
file(STRINGS ${PREFIX}/share/applications/fptr-t.desktop entry)
foreach(line "Exec=fptr_t" "Icon=fptr-t" "Type=Application")
    if(NOT line IN_LIST entry)
        list(APPEND failures "the menu entry lacks ${line}")
    endif()
endforeach()

# Nothing else: no headers, test programs or stand-in drivers.
file(GLOB_RECURSE installed RELATIVE ${PREFIX} LIST_DIRECTORIES false ${PREFIX}/*)
list(LENGTH installed count)
if(NOT count EQUAL 8)
    list(APPEND failures "${count} files installed, 8 expected: ${installed}")
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "install layout:\n  ${text}")
endif()
message(STATUS "install layout: 8 files, bin/fptr_t -> ../lib/fptr-t/fptr_t")
