# The browser build, configured by ./web with Emscripten's CMake: the libraries it links (built
# for WebAssembly from Debian's sources by tools/web/libraries.sh), how its code is compiled,
# and zantorvix_page, which links the program into the page's folder.

set(ZANTORVIX_WEB_LIBRARIES "" CACHE PATH
    "The folder holding SDL2, SDL2_image, SDL2_mixer and zlib built for WebAssembly")
set(ZANTORVIX_WEB_COPY "" CACHE PATH
    "The folder holding the browser's copy of the pictures and sounds (packed) and its icons")
set(ZANTORVIX_WEB_ASSETS "" CACHE PATH "The folder holding the generated gfx/ (the page's icon)")
foreach(folder ZANTORVIX_WEB_LIBRARIES ZANTORVIX_WEB_COPY ZANTORVIX_WEB_ASSETS)
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

find_program(ZANTORVIX_NODE NAMES node nodejs REQUIRED)

# Links `target` into ${CMAKE_BINARY_DIR}/site with the page around it: the page, its script,
# the program (.js and .wasm), the pictures and sounds in two packs (the first, what the loading
# screen shows; the rest, fetched behind it), the manifest and icons of the installed page, and
# the service worker that keeps the whole of one build for offline play. `target`_site builds
# the whole folder.
function(zantorvix_page target)
    set(web ${CMAKE_SOURCE_DIR}/browser)
    set(copy ${ZANTORVIX_WEB_COPY})
    # The JavaScript the program itself is linked with belongs to the browser's host.
    set(storage ${CMAKE_SOURCE_DIR}/platform/browser/storage.js)
    set(sleep ${CMAKE_SOURCE_DIR}/platform/sdl/browser/sleep.js)
    set(packs ${CMAKE_SOURCE_DIR}/platform/sdl/browser/packs.js)
    # Where each packed file lies, which the packs' loader reads before it fetches them.
    set(index ${CMAKE_BINARY_DIR}/packs-index.js)
    add_custom_command(OUTPUT ${index} DEPENDS ${copy}/packs.json ${web}/pack_index.cmake
        COMMAND ${CMAKE_COMMAND} -DINDEX=${copy}/packs.json -DOUTPUT=${index}
                -P ${web}/pack_index.cmake VERBATIM)
    add_custom_target(${target}_pack_index DEPENDS ${index})
    add_dependencies(${target} ${target}_pack_index)

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
        "SHELL:--pre-js ${index}"
        "SHELL:--pre-js ${packs}"
        "SHELL:--js-library ${sleep}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${storage} ${sleep} ${index}
                 ${packs} ${web}/sdl-javascript.json)

    # The page's own files, the packs and the icons, copied whenever they change.
    set(copies)
    foreach(file index.html page.js page.css touch.js manifest.webmanifest)
        list(APPEND copies "${web}/${file}=${file}")
    endforeach()
    foreach(file first.data rest.data icons/icon-192.png icons/icon-512.png)
        get_filename_component(name ${file} NAME)
        list(APPEND copies "${copy}/${file}=${name}")
    endforeach()
    list(APPEND copies "${ZANTORVIX_WEB_ASSETS}/gfx/icon.png=icon.png")
    set(outputs)
    foreach(entry IN LISTS copies)
        string(REPLACE "=" ";" pair ${entry})
        list(GET pair 0 from)
        list(GET pair 1 to)
        add_custom_command(OUTPUT ${site}/${to} DEPENDS ${from}
            COMMAND ${CMAKE_COMMAND} -E copy ${from} ${site}/${to} VERBATIM)
        list(APPEND outputs ${site}/${to})
    endforeach()

    # The service worker names every file of this build with its digest, so that it is made
    # again whenever any of them changes.
    set(worker ${site}/service-worker.js)
    set(names zantorvix.js zantorvix.wasm)
    foreach(output IN LISTS outputs)
        get_filename_component(name ${output} NAME)
        list(APPEND names ${name})
    endforeach()
    # The pictures and sounds were one file once: an older build's copy is no file of this one.
    file(REMOVE ${site}/zantorvix.data)
    add_custom_command(OUTPUT ${worker}
        DEPENDS ${outputs} $<TARGET_FILE:${target}> ${web}/service-worker.js
                ${CMAKE_SOURCE_DIR}/tools/web/stamp-site.mjs
        COMMAND ${ZANTORVIX_NODE} ${CMAKE_SOURCE_DIR}/tools/web/stamp-site.mjs ${site}
                ${web}/service-worker.js ${names}
        VERBATIM)
    add_custom_target(${target}_site ALL DEPENDS ${outputs} ${worker})
    add_dependencies(${target}_site ${target})
endfunction()
