# The browser build, configured by ./web with Emscripten's CMake: the libraries it links (built
# for WebAssembly from Debian's sources by tools/web/libraries.sh), how its code is compiled,
# and zantorvix_page, which links the program into the page's folder.

set(ZANTORVIX_WEB_LIBRARIES "" CACHE PATH
    "The folder holding SDL2, SDL2_image, SDL2_mixer and zlib built for WebAssembly")
set(ZANTORVIX_WEB_ASSETS "" CACHE PATH "The folder holding the generated gfx/ and sfx/")
foreach(folder ZANTORVIX_WEB_LIBRARIES ZANTORVIX_WEB_ASSETS)
    if(NOT IS_DIRECTORY "${${folder}}")
        message(FATAL_ERROR "${folder} must name a folder (./web sets it): '${${folder}}'")
    endif()
endforeach()

set(prefix ${ZANTORVIX_WEB_LIBRARIES})
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${prefix}/lib/libz.a
                      INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
add_library(zantorvix_browser_libraries INTERFACE)
target_include_directories(zantorvix_browser_libraries INTERFACE ${prefix}/include
                           ${prefix}/include/SDL2)
target_link_libraries(zantorvix_browser_libraries INTERFACE ${prefix}/lib/libSDL2_mixer.a
                      ${prefix}/lib/libSDL2_image.a ${prefix}/lib/libSDL2.a ZLIB::ZLIB)

# The scenes leave through an exception when the window goes, so the browser build catches them.
add_compile_options(-fexceptions)
# The frames are composed eight channels at a time (WebAssembly's SIMD, which every browser has
# had since 2021, Safari since 16.4); without it each lane would be worked alone, several times
# slower.
add_compile_options(-msimd128)

# Links `target` into ${CMAKE_BINARY_DIR}/site: the page, its script, the program (.js and
# .wasm) and the pictures and sounds packed into one .data file.
function(zantorvix_page target)
    set(web ${CMAKE_SOURCE_DIR}/browser)
    # The JavaScript the program itself is linked with belongs to the browser's host.
    set(storage ${CMAKE_SOURCE_DIR}/platform/browser/storage.js)
    set(sleep ${CMAKE_SOURCE_DIR}/platform/sdl/browser/sleep.js)
    set(site ${CMAKE_BINARY_DIR}/site)
    set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${site})
    target_link_options(${target} PRIVATE
        -fexceptions
        # Every scene runs its own loop of frames: each sleep hands the page back to the browser
        # and the program resumes where it slept.
        -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
        -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
        -sENVIRONMENT=web
        # What SDL's own JavaScript calls on: the sound's start at the first key or click, and
        # the calls into the program that feed the sound (listed in a file, since CMake would
        # double their dollar signs).
        -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${web}/sdl-javascript.json
        -sFORCE_FILESYSTEM=1 -lidbfs.js
        -sEXPORTED_RUNTIME_METHODS=FS
        "SHELL:--pre-js ${storage}"
        "SHELL:--js-library ${sleep}"
        "SHELL:--preload-file ${ZANTORVIX_WEB_ASSETS}/gfx@/gfx"
        "SHELL:--preload-file ${ZANTORVIX_WEB_ASSETS}/sfx@/sfx")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${storage} ${sleep}
                 ${web}/sdl-javascript.json)
    # The pictures and sounds are packed at link time: a change to them links again.
    file(GLOB_RECURSE assets CONFIGURE_DEPENDS ${ZANTORVIX_WEB_ASSETS}/gfx/*
         ${ZANTORVIX_WEB_ASSETS}/sfx/*)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${assets})

    # The page's own files and the icon, copied whenever they change.
    set(copies)
    foreach(file index.html page.js page.css)
        add_custom_command(OUTPUT ${site}/${file} DEPENDS ${web}/${file}
            COMMAND ${CMAKE_COMMAND} -E copy ${web}/${file} ${site}/${file} VERBATIM)
        list(APPEND copies ${site}/${file})
    endforeach()
    add_custom_command(OUTPUT ${site}/icon.png DEPENDS ${ZANTORVIX_WEB_ASSETS}/gfx/icon.png
        COMMAND ${CMAKE_COMMAND} -E copy ${ZANTORVIX_WEB_ASSETS}/gfx/icon.png ${site}/icon.png
        VERBATIM)
    add_custom_target(${target}_page ALL DEPENDS ${copies} ${site}/icon.png)
    add_dependencies(${target} ${target}_page)
endfunction()
