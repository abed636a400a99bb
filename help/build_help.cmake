# Checks the help sources, compiles them with chmcmd and checks the result.
# Run by help/CMakeLists.txt with -DCHMCMD -DCHMLS -DSOURCE_DIR -DWORK_DIR
# -DCAPTIONS (the English language file) -DOUTPUT (the .chm to produce).
#
# The sources are refused when:
#  - a topic (*.htm) is missing from the project's [FILES], or a listed file is missing;
#  - a link, contents entry or index entry names a file or an anchor that does not exist;
#  - a file holds a character outside printable ASCII (the topics declare windows-1252);
#  - a caption marked <span class="ui">...</span> is not one of the program's
#    English captions, so the help never names a button the program lacks.
# The result is refused when chmcmd fails or warns, when the file does not start
# with the "ITSF" signature, or when a listed file is not inside it.
cmake_minimum_required(VERSION 3.20)

set(errors "")
macro(fail msg)
  string(APPEND errors "  ${msg}\n")
endmacro()

# CMake lists split on ";" and treat brackets specially: mask both while
# texts are handled as lists.
function(read_masked path out)
  file(READ "${path}" text)
  string(REPLACE ";" "@SC@" text "${text}")
  string(REPLACE "[" "@LB@" text "${text}")
  string(REPLACE "]" "@RB@" text "${text}")
  string(REPLACE "\r" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# --- The project's file list --------------------------------------------------
read_masked("${SOURCE_DIR}/Quorvane.hhp" hhp)
string(REGEX MATCH "@LB@FILES@RB@\n([^@]*)" _ "${hhp}")
string(STRIP "${CMAKE_MATCH_1}" files_text)
string(REPLACE "\n" ";" listed "${files_text}")
list(FILTER listed EXCLUDE REGEX "^$")
foreach(f IN LISTS listed)
  if(NOT EXISTS "${SOURCE_DIR}/${f}")
    fail("Quorvane.hhp lists ${f}, which does not exist")
  endif()
endforeach()
file(GLOB topics RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.htm")
foreach(t IN LISTS topics)
  list(FIND listed "${t}" at)
  if(at EQUAL -1)
    fail("${t} is not listed under [FILES] in Quorvane.hhp")
  endif()
endforeach()

# --- The program's English captions ------------------------------------------
function(normalise text out)
  string(REPLACE "&amp@SC@" "&" text "${text}")
  string(REPLACE "&quot@SC@" "\"" text "${text}")
  string(REPLACE "&lt@SC@" "<" text "${text}")
  string(REPLACE "&gt@SC@" ">" text "${text}")
  string(REPLACE "&nbsp@SC@" " " text "${text}")
  string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
  string(STRIP "${text}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

read_masked("${CAPTIONS}" ini)
string(REPLACE "\n" ";" ini_lines "${ini}")
set(captions "")
foreach(line IN LISTS ini_lines)
  if(line MATCHES "^[^=@]+=(.*)$")
    string(STRIP "${CMAKE_MATCH_1}" value)
    if(value MATCHES "^\"(.*)\"$")
      set(value "${CMAKE_MATCH_1}")
    endif()
    string(REPLACE "&&" "&" value "${value}")  # "&&" shows as one "&"
    list(APPEND captions "${value}")
  endif()
endforeach()
list(LENGTH captions caption_count)
if(caption_count LESS 100)
  fail("${CAPTIONS} yields only ${caption_count} captions")
endif()

# --- Links, anchors, captions, characters ------------------------------------
set(anchors_of "")
foreach(t IN LISTS topics)
  read_masked("${SOURCE_DIR}/${t}" text)
  string(REGEX MATCHALL "(name|id)=\"[^\"]+\"" defs "${text}")
  set(names "")
  foreach(d IN LISTS defs)
    string(REGEX REPLACE "^(name|id)=\"([^\"]+)\"$" "\\2" d "${d}")
    list(APPEND names "${d}")
  endforeach()
  string(MAKE_C_IDENTIFIER "${t}" id)
  set(anchors_${id} "${names}")
endforeach()

set(sources ${topics} toc.hhc index.hhk)
foreach(src IN LISTS sources)
  read_masked("${SOURCE_DIR}/${src}" text)
  if(text MATCHES "[^\t\n -~]")
    fail("${src} holds a character outside printable ASCII: write it as an HTML entity")
  endif()

  string(REGEX MATCHALL "href=\"[^\"]*\"" hrefs "${text}")
  string(REGEX MATCHALL "name=\"Local\" value=\"[^\"]*\"" locals "${text}")
  foreach(link IN LISTS hrefs locals)
    string(REGEX REPLACE "^.*\"([^\"]*)\"$" "\\1" target "${link}")
    if(target MATCHES "^[a-z]+:")
      fail("${src} links outside the help file: ${target}")
      continue()
    endif()
    set(anchor "")
    if(target MATCHES "^([^#]*)#(.*)$")
      set(target "${CMAKE_MATCH_1}")
      set(anchor "${CMAKE_MATCH_2}")
    endif()
    if(target STREQUAL "")
      set(target "${src}")
    endif()
    list(FIND listed "${target}" at)
    if(at EQUAL -1)
      fail("${src} links to ${target}, which is not a file of the help")
      continue()
    endif()
    if(NOT anchor STREQUAL "")
      string(MAKE_C_IDENTIFIER "${target}" id)
      list(FIND anchors_${id} "${anchor}" at)
      if(at EQUAL -1)
        fail("${src} links to ${target}#${anchor}, but ${target} has no such anchor")
      endif()
    endif()
  endforeach()

  string(REGEX MATCHALL "<span class=\"ui\">[^<]*</span>" spans "${text}")
  foreach(span IN LISTS spans)
    string(REGEX REPLACE "^<span class=\"ui\">(.*)</span>$" "\\1" caption "${span}")
    normalise("${caption}" caption)
    list(FIND captions "${caption}" at)
    if(at EQUAL -1)
      string(REPLACE "@SC@" ";" shown "${caption}")
      string(REPLACE "@LB@" "[" shown "${shown}")
      string(REPLACE "@RB@" "]" shown "${shown}")
      fail("${src} names the caption \"${shown}\", which is not in ${CAPTIONS}")
    endif()
  endforeach()
endforeach()

if(NOT errors STREQUAL "")
  message(FATAL_ERROR "The help sources have faults:\n${errors}")
endif()

# --- Compile -----------------------------------------------------------------
# chmcmd writes the file named by "Compiled file=" into its working folder;
# the result reaches OUTPUT only when every check has passed.
file(REMOVE "${OUTPUT}" "${WORK_DIR}/Quorvane.chm")
execute_process(
  COMMAND "${CHMCMD}" "${SOURCE_DIR}/Quorvane.hhp"
  WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "(Error|Warning|error|warning)")
  message(FATAL_ERROR "chmcmd failed or warned (exit ${rc}):\n${out}")
endif()
set(chm "${WORK_DIR}/Quorvane.chm")
if(NOT EXISTS "${chm}")
  message(FATAL_ERROR "chmcmd wrote no Quorvane.chm:\n${out}")
endif()

# --- Check the result --------------------------------------------------------
file(READ "${chm}" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")  # "ITSF"
  message(FATAL_ERROR "${chm} does not start with the ITSF signature")
endif()
execute_process(
  COMMAND "${CHMLS}" --no-page --name-only list "${chm}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE contents
  ERROR_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "chmls cannot list ${chm}")
endif()
string(REPLACE "\n" ";" contents "${contents}")
list(TRANSFORM contents STRIP)
foreach(f IN LISTS listed toc.hhc index.hhk)
  list(FIND contents "/${f}" at)
  if(at EQUAL -1)
    string(APPEND errors "  /${f} is missing\n")
  endif()
endforeach()
if(NOT errors STREQUAL "")
  message(FATAL_ERROR "${chm} is incomplete:\n${errors}")
endif()

file(COPY_FILE "${chm}" "${OUTPUT}")
list(LENGTH listed file_count)
message(STATUS "Quorvane.chm: ${file_count} files, contents and index")
