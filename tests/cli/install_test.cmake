# Installs the build into PREFIX and runs the installed trassolin-cli on the installed example.
# Arguments: BUILD_DIR, PREFIX, WITH_GUI.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (is everything built?): ${result}\n${err}")
endif()

set(expected bin/trassolin-cli share/trassolin/examples/landstrasse.ini
             share/trassolin/examples/dorfstrasse.ini
             share/trassolin/examples/landstrasse-splines.i3d share/doc/Trassolin/README.md
             share/trassolin/examples/vorlagen/kreisstrasse.ini
             share/trassolin/examples/vorlagen/rand/graben.ini)
if(WITH_GUI)
    list(APPEND expected bin/trassolin)
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# The installed examples are read-only for a user: the round trip works on copies.
set(work "${PREFIX}/work")
file(MAKE_DIRECTORY "${work}")
file(COPY "${PREFIX}/share/trassolin/examples/landstrasse.ini" DESTINATION "${work}")
execute_process(COMMAND "${PREFIX}/bin/trassolin-cli" import-splines
                        "${PREFIX}/share/trassolin/examples/landstrasse-splines.i3d"
                        "${work}/landstrasse.ini"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "import-splines: ${result}\n${out}\n${err}")
endif()
execute_process(COMMAND "${PREFIX}/bin/trassolin-cli" generate "${work}/landstrasse.ini"
                        "${work}/landstrasse.i3d"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "\nGeschrieben: [^\n]*landstrasse.i3d – ")
    message(FATAL_ERROR "generate: ${result}\n${out}\n${err}")
endif()
