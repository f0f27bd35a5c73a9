# Writes the help2man include file of tarvo-params's manual page at build time: a COMMANDS
# section with every command's own --help text, the tool's examples, where to report bugs, and
# the viewer's page.
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
# The tool's examples, one command a line (help2man would fill them into one paragraph, and
# hyphenate their paths), then the rest of the help's Examples paragraph.
string(REGEX MATCH "\nExamples:\n((  [^\n]*\n)+)(.*)" examples "${toolHelp}")
if(examples STREQUAL "")
  message(FATAL_ERROR "${TOOL} --help shows no example")
endif()
set(exampleLines "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_3}" exampleNote)
foreach(part exampleLines exampleNote)
  string(REPLACE "\\" "\\e" ${part} "${${part}}")
  string(REPLACE "-" "\\-" ${part} "${${part}}")
  string(REGEX REPLACE "(^|\n)  " "\\1" ${part} "${${part}}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" ${part} "${${part}}")
endforeach()
string(APPEND text "[=EXAMPLES]\n.PP\n.RS 4\n.nf\n${exampleLines}.fi\n.RE\n")
if(NOT exampleNote STREQUAL "")
  string(APPEND text ".PP\n${exampleNote}\n")
endif()

# The address on a line of its own, neither hyphenated nor broken at its hyphens, which are
# ASCII hyphen-minus signs.
string(REPLACE "\\" "\\e" support "${SUPPORT}")
string(REPLACE "-" "\\-" support "${support}")
string(APPEND text "[REPORTING BUGS]\nReport bugs and ask questions at\n.br\n\\%${support}\n"
       "[SEE ALSO]\n.BR TarvoViewer (1)\n")
file(WRITE ${OUTPUT} "${text}")
