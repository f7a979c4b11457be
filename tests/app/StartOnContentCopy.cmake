# Starts one of the game's programs on a fresh copy of the sample content, its install folder, and fails unless
# the program ends with exit code 0. Run by CTest as
#   cmake -DPROGRAM=<executable> -DCONTENT=<sample content> -DSCRATCH=<scratch folder> -P StartOnContentCopy.cmake
# The test's environment brings the rest: headless graphics, a frame limit, the sanitizers' options.
foreach(variable PROGRAM CONTENT SCRATCH)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

set(install ${SCRATCH}/install)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${install})
file(COPY ${CONTENT}/ DESTINATION ${install})
# A small window keeps the software renderer's frames cheap.
file(WRITE ${install}/Tarvolin.cfg "[Begin Graphics Config]
FullScreen=0
FSDisplayWidth=640
FSDisplayHeight=480
FS3DDisplayWidth=640
FS3DDisplayHeight=480
[End Graphics Config]
")
file(WRITE ${SCRATCH}/registry.cfg "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1
SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=${install}/
")
set(ENV{TARVOLIN_REGISTRY} ${SCRATCH}/registry.cfg)

execute_process(COMMAND ${PROGRAM} WORKING_DIRECTORY ${install} RESULT_VARIABLE result)
if(NOT result STREQUAL "0")
    message(FATAL_ERROR "${PROGRAM} ended with \"${result}\"")
endif()
