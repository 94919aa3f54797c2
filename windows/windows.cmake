# The Windows build, configured by ./package windows with MinGW-w64
# (tools/windows/mingw-w64.cmake): the libraries it links (built for Windows from Debian's
# sources by tools/windows/libraries.sh, named by CMAKE_PREFIX_PATH), the program's resources,
# and zantorvix_windows_packages, which stages the game's folder and makes of it the portable
# zip and the installer:
#   package/zantorvix-VERSION-windows.zip   Zantorvix\ (zantorvix.exe, its DLL, gfx\, sfx\, the
#                                           licences, and portable.txt, which keeps the player's
#                                           files beside the program)
#   package/zantorvix-VERSION-setup.exe     the same without portable.txt, installed into
#                                           Program Files with a Start menu entry and an
#                                           uninstaller

set(ZANTORVIX_WINDOWS_ASSETS "" CACHE PATH "The folder holding the generated gfx/ and sfx/")
set(ZANTORVIX_WINDOWS_ICON "" CACHE FILEPATH "The program's icon (zantorvix.ico), generated")
if(NOT IS_DIRECTORY "${ZANTORVIX_WINDOWS_ASSETS}" OR NOT EXISTS "${ZANTORVIX_WINDOWS_ICON}")
    message(FATAL_ERROR "ZANTORVIX_WINDOWS_ASSETS and ZANTORVIX_WINDOWS_ICON must name the "
                        "generated pictures and icon (./package windows sets them)")
endif()

# The libraries: static, but for mpg123, which is a DLL beside the program. Each is looked for
# only among them (the toolchain file roots every search there).
foreach(library SDL2_mixer SDL2_image SDL2 z)
    find_library(ZANTORVIX_${library}_LIBRARY lib${library}.a REQUIRED NO_CACHE)
    list(APPEND windows_libraries ${ZANTORVIX_${library}_LIBRARY})
endforeach()
find_library(ZANTORVIX_MPG123_LIBRARY libmpg123.dll.a REQUIRED NO_CACHE)
find_path(ZANTORVIX_SDL_INCLUDE SDL.h PATH_SUFFIXES SDL2 REQUIRED NO_CACHE)
get_filename_component(windows_prefix ${ZANTORVIX_SDL_INCLUDE}/../.. ABSOLUTE)
file(GLOB windows_dlls ${windows_prefix}/bin/libmpg123*.dll)
if(NOT windows_dlls)
    message(FATAL_ERROR "mpg123's DLL is missing from ${windows_prefix}/bin")
endif()

add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${ZANTORVIX_z_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${windows_prefix}/include)
add_library(zantorvix_windows_libraries INTERFACE)
target_include_directories(zantorvix_windows_libraries INTERFACE ${ZANTORVIX_SDL_INCLUDE}
                           ${windows_prefix}/include)
# SDL's own needs on Windows: the window, input, sound, timer and device libraries.
target_link_libraries(zantorvix_windows_libraries INTERFACE ${windows_libraries}
                      ${ZANTORVIX_MPG123_LIBRARY} setupapi winmm imm32 version ole32 oleaut32
                      uuid gdi32 user32 advapi32 shell32 dinput8)

# MinGW-w64's C library offers POSIX's thread-safe time calls (localtime_r) when asked; and
# mpg123's DLL is built for 64-bit file offsets, whose names its header picks by this.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS=200112L _FILE_OFFSET_BITS=64)

enable_language(RC)
find_program(MAKENSIS makensis REQUIRED)

# Makes `target` a Windows GUI program (no console window) with its resources, linked with the
# C and C++ runtimes inside it, so that it needs no DLL but mpg123's.
function(zantorvix_windows_program target)
    string(REPLACE "." "," ZANTORVIX_VERSION_COMMAS "${PROJECT_VERSION}.0")
    set(ZANTORVIX_VERSION_QUAD "${PROJECT_VERSION}.0")
    configure_file(${CMAKE_SOURCE_DIR}/windows/zantorvix.manifest
                   ${CMAKE_BINARY_DIR}/zantorvix.manifest @ONLY)
    set(ZANTORVIX_MANIFEST ${CMAKE_BINARY_DIR}/zantorvix.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/windows/zantorvix.rc.in ${CMAKE_BINARY_DIR}/zantorvix.rc
                   @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/zantorvix.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/zantorvix.rc PROPERTIES OBJECT_DEPENDS
                                "${ZANTORVIX_WINDOWS_ICON};${ZANTORVIX_MANIFEST}")
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    target_link_options(${target} PRIVATE -static -s)
endfunction()

# The file module checked where it runs: a console program the Windows journey runs under
# Wine (tests/windows/file_check.cpp); built beside the packages, never shipped.
function(zantorvix_windows_checks)
    add_executable(zantorvix_file_check ${CMAKE_SOURCE_DIR}/tests/windows/file_check.cpp)
    target_link_libraries(zantorvix_file_check PRIVATE zantorvix_platform)
    target_link_options(zantorvix_file_check PRIVATE -static)
endfunction()

# Stages the folder the zip and the installer are made of, and makes them.
function(zantorvix_windows_packages target)
    set(stage ${CMAKE_BINARY_DIR}/stage)
    set(portable ${CMAKE_BINARY_DIR}/portable/Zantorvix)
    set(out ${CMAKE_BINARY_DIR}/package)
    set(zip ${out}/zantorvix-${PROJECT_VERSION}-windows.zip)
    set(setup ${out}/zantorvix-${PROJECT_VERSION}-setup.exe)
    set(crlf ${CMAKE_SOURCE_DIR}/tools/windows/crlf.cmake)
    file(GLOB_RECURSE assets CONFIGURE_DEPENDS ${ZANTORVIX_WINDOWS_ASSETS}/gfx/*
         ${ZANTORVIX_WINDOWS_ASSETS}/sfx/*)
    file(GLOB licences ${windows_prefix}/share/licences/*.txt)
    add_custom_command(OUTPUT ${zip} ${setup}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${portable} ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/licences ${out}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${windows_dlls} ${stage}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${ZANTORVIX_WINDOWS_ASSETS}/gfx ${stage}/gfx
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${ZANTORVIX_WINDOWS_ASSETS}/sfx ${stage}/sfx
        # The texts in Windows' line ends, for Notepad.
        COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/windows/copyright.txt -DOUT=${stage}
                -P ${crlf}
        COMMAND ${CMAKE_COMMAND} "-DIN=${licences}" -DOUT=${stage}/licences -P ${crlf}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${stage} ${portable}
        COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/windows/portable.txt -DOUT=${portable}
                -P ${crlf}
        COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/portable
                ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Zantorvix
        COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
                -DICON=${ZANTORVIX_WINDOWS_ICON} -DOUTFILE=${setup}
                ${CMAKE_SOURCE_DIR}/windows/installer.nsi
        DEPENDS ${target} ${assets} ${licences} ${crlf} ${CMAKE_SOURCE_DIR}/windows/installer.nsi
                ${CMAKE_SOURCE_DIR}/windows/copyright.txt ${CMAKE_SOURCE_DIR}/windows/portable.txt
                ${ZANTORVIX_WINDOWS_ICON}
        COMMENT "Making the Windows zip and installer in ${out}"
        VERBATIM)
    add_custom_target(zantorvix_windows_packages ALL DEPENDS ${zip} ${setup})
    add_dependencies(zantorvix_windows_packages zantorvix_file_check)
endfunction()
