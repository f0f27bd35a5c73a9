# Writes the help2man include file of tarvo-params's manual page at build time: a COMMANDS
# section with every command's own --help text, where to report bugs, and the viewer's page.
#   cmake -DTOOL=path/to/tarvo-params -DSUPPORT=address -DOUTPUT=file -P ManCommands.cmake

function(tarvo_help output)
  execute_process(COMMAND ${TOOL} ${ARGN} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${ARGN} --help failed: ${status}")
  endif()
  set(${output} "${help}" PARENT_SCOPE)
endfunction()

# The commands are the names the tool's own help lists under "Subcommands:".
tarvo_help(toolHelp)
string(REGEX MATCH "\nSubcommands:\n(  [^\n]*\n)+" listing "${toolHelp}")
string(REGEX MATCHALL "\n  [a-z][a-z-]*" names "${listing}")
if(names STREQUAL "")
  message(FATAL_ERROR "${TOOL} --help lists no command")
endif()

set(text "[COMMANDS]\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  tarvo_help(help ${name})
  # Verbatim in roff: a backslash is \e, a line may not start with a control character.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${name}\n.nf\n${help}.fi\n")
endforeach()
string(APPEND text "[REPORTING BUGS]\nReport bugs and ask questions at ${SUPPORT}\n"
       "[SEE ALSO]\n.BR TarvoViewer (1)\n")
file(WRITE ${OUTPUT} "${text}")
