# cmake -DSOURCE_DIR=… -DMAKE_PROGRAM=… -DPYTHON=… -DWORK=… -P manual_with_makefiles.cmake
# Configures the manual's build (docs/manual, with a stand-in for aldermark) with the Unix
# Makefiles generator in a fresh folder, builds it, and checks the page and its pictures.
file(REMOVE_RECURSE ${WORK})
set(project ${CMAKE_CURRENT_LIST_DIR}/manual_project)
set(build ${WORK}/build)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "${what} failed (${failed}):\n${output}")
  endif()
endfunction()
run(configuring ${CMAKE_COMMAND} -G "Unix Makefiles" -S ${project} -B ${build}
  -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DALDERMARK_SOURCE_DIR=${SOURCE_DIR}
  -DALDERMARK_MANUAL_PYTHON=${PYTHON} -DSTAND_IN=${project}/stand_in_aldermark.sh)
# One job: the order Makefiles run the commands in must not matter, nor a second job hide it.
run(building ${CMAKE_COMMAND} --build ${build} --target manual -j 1)

set(page ${build}/manual/index.html)
if(NOT EXISTS ${page})
  message(FATAL_ERROR "the build did not write ${page}")
endif()
file(READ ${page} html)
if(NOT html MATCHES "<title>ZEB Aldermark 9\\.8\\.7 — User Manual</title>")
  message(FATAL_ERROR "${page} is not the manual of version 9.8.7")
endif()
foreach(picture front-vu back-ppm)
  if(NOT EXISTS ${build}/manual/pictures/${picture}.png)
    message(FATAL_ERROR "the build did not write pictures/${picture}.png")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
