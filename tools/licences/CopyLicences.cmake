# Copies the licence texts of the libraries and fonts the install carries from the Debian packages'
# copyright files into the install's "licences" folder.
#   cmake -DOUT=<folder> -DDOC=/usr/share/doc -DCOMMON=/usr/share/common-licenses -P CopyLicences.cmake
# Each entry: the text's name in the install, then the package folders to look in, first match wins
# (runtime packages first; a versioned name is found by its pattern).
set(entries
    "DejaVu-fonts|fonts-dejavu-core|fonts-dejavu"
    "ODE|libode[0-9]*|libode-dev"
    "SDL2|libsdl2-2.0-0|libsdl2-dev"
    "TinyXML|libtinyxml2.6.2v5|libtinyxml[0-9]*.*|libtinyxml-dev"
    "FreeType|libfreetype6|libfreetype-dev"
    "zlib|zlib1g|zlib1g-dev"
    "libsndfile|libsndfile1|libsndfile1-dev"
    "Boost|libboost1.*-dev|libboost-dev")

file(MAKE_DIRECTORY ${OUT})
foreach(entry IN LISTS entries)
    string(REPLACE "|" ";" parts "${entry}")
    list(POP_FRONT parts name)
    set(found "")
    foreach(pattern IN LISTS parts)
        file(GLOB matches LIST_DIRECTORIES false "${DOC}/${pattern}/copyright")
        list(SORT matches)
        if(matches)
            list(GET matches 0 found)
            break()
        endif()
    endforeach()
    if(NOT found)
        list(GET parts 0 wanted)
        message(FATAL_ERROR "No licence text for ${name}: ${DOC}/${wanted}/copyright is missing "
                            "(scripts/install-deps.sh installs the package)")
    endif()
    configure_file(${found} ${OUT}/${name}.txt COPYONLY)
endforeach()
# ODE, SDL2 and libsndfile point to the LGPL's text instead of carrying it.
configure_file(${COMMON}/LGPL-2.1 ${OUT}/LGPL-2.1.txt COPYONLY)
