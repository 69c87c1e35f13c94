# Renders a program's manual text into its manual page and into the C++ header that gives the
# program its usage and --help text, so that the page and the program cannot tell different
# stories. Run as a script:
#   cmake -DSOURCE=prog.1.txt -DPAGE=prog.1 -DHEADER=prog_manual.hpp -DVERSION=1.2.3
#         -DDATE=2026-12-08 -P render_manual.cmake
#
# The manual text is plain text in sections:
#   - a line of capitals and spaces alone (NAME, SYNOPSIS, EXIT STATUS) opens a section;
#   - NAME holds "program - what it does";
#   - SYNOPSIS holds one way of calling the program per line;
#   - elsewhere, a line at the margin followed by an indented one is a term (an option, a file),
#     the indented lines below it say what it is; other lines at the margin are running text, and
#     an empty line ends a paragraph.
# The --help text is the synopsis as usage lines, the summary, and the OPTIONS section as written.

cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/write_if_changed.cmake")

foreach(required SOURCE PAGE HEADER VERSION DATE)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "render_manual.cmake needs -D${required}=...")
    endif()
endforeach()

# Split into a list of lines, empty ones kept. Semicolons and brackets mean something to CMake's
# lists, so they travel as stand-ins until a line is taken out.
file(READ "${SOURCE}" text)
string(REPLACE ";" "@semicolon@" text "${text}")
string(REPLACE "[" "@open@" text "${text}")
string(REPLACE "]" "@close@" text "${text}")
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
function(line_at out index)
    list(GET lines ${index} value)
    string(REPLACE "@semicolon@" ";" value "${value}")
    string(REPLACE "@open@" "[" value "${value}")
    string(REPLACE "@close@" "]" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Roff reads a backslash as an escape and a line that starts with a dot or quote as a request; a
# hyphen that starts an option is a minus sign, which roff prints as such only when escaped.
function(roff_text out value)
    string(REPLACE "\\" "\\e" value "${value}")
    string(REGEX REPLACE "(^|[ [|(,/])-" "\\1\\\\-" value "${value}")
    string(REPLACE "\\--" "\\-\\-" value "${value}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

get_filename_component(page_name "${PAGE}" NAME)
string(REGEX REPLACE "\\.([0-9])$" "" program "${page_name}")
string(REGEX REPLACE "^.*\\.([0-9])$" "\\1" section_number "${page_name}")
string(TOUPPER "${program}" program_upper)

set(roff ".TH ${program_upper} ${section_number} \"${DATE}\" \"Vantric ${VERSION}\" \"User Commands\"\n")
set(usage "")
set(options "")
set(summary "")
set(section "")
set(paragraph_ends FALSE)
list(LENGTH lines count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last})
    line_at(line ${index})
    set(next "")
    if(index LESS last)
        math(EXPR following "${index} + 1")
        line_at(next ${following})
    endif()
    # A term in capitals (an environment variable) has its text indented below it.
    if(line MATCHES "^[A-Z][A-Z ]*$" AND NOT next MATCHES "^ ")
        set(section "${line}")
        set(paragraph_ends FALSE)
        string(APPEND roff ".SH ${line}\n")
        continue()
    endif()
    if(section STREQUAL "OPTIONS" AND NOT line STREQUAL "")
        string(APPEND options "  ${line}\n")
    endif()
    if(line STREQUAL "")
        set(paragraph_ends TRUE)
        continue()
    endif()
    if(paragraph_ends AND NOT section STREQUAL "SYNOPSIS")
        string(APPEND roff ".PP\n")
    endif()
    set(paragraph_ends FALSE)
    if(section STREQUAL "NAME")
        string(REGEX REPLACE "^[^ ]+ - " "" summary "${line}")
        roff_text(escaped "${line}")
        string(APPEND roff "${escaped}\n")
    elseif(section STREQUAL "SYNOPSIS")
        if(usage STREQUAL "")
            string(APPEND usage "usage: ${line}\n")
        else()
            string(APPEND usage "       ${line}\n")
        endif()
        string(REGEX REPLACE "^([^ ]+)(.*)$" "\\1" name "${line}")
        string(REGEX REPLACE "^([^ ]+)(.*)$" "\\2" arguments "${line}")
        roff_text(arguments "${arguments}")
        roff_text(name "${name}")
        string(APPEND roff "\\fB${name}\\fR${arguments}\n.br\n")
    elseif(line MATCHES "^ ")
        string(STRIP "${line}" stripped)
        roff_text(escaped "${stripped}")
        string(APPEND roff "${escaped}\n")
    elseif(next MATCHES "^ ")
        roff_text(escaped "${line}")
        string(APPEND roff ".TP\n.B ${escaped}\n")
    else()
        roff_text(escaped "${line}")
        string(APPEND roff "${escaped}\n")
    endif()
endforeach()

if(usage STREQUAL "" OR summary STREQUAL "")
    message(FATAL_ERROR "${SOURCE}: a manual needs a NAME and a SYNOPSIS")
endif()
set(help "${usage}\n${summary}\n\noptions:\n${options}")
set(header "#pragma once

#include <string_view>

// Made by cmake/render_manual.cmake from ${page_name}.txt, which is what to edit.
namespace vantric::manual {

inline constexpr std::string_view version = \"${VERSION}\";
inline constexpr std::string_view usage = R\"manual(${usage})manual\";
inline constexpr std::string_view help = R\"manual(${help})manual\";

}  // namespace vantric::manual
")

vantric_write_if_changed("${PAGE}" "${roff}")
vantric_write_if_changed("${HEADER}" "${header}")
