# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes the Debian changelog (dpkg's format) from CHANGELOG.md: one entry per
# `## <version> — <YYYY-MM-DD>` heading, its paragraph as the first item and its list below.
# Usage: cmake -DCHANGELOG=<CHANGELOG.md> -DOUTPUT=<file> -DPACKAGE=<name> -DVERSION=<version>
#              -DMAINTAINER=<name <address>> -P debian_changelog.cmake
cmake_minimum_required(VERSION 3.25)

# Semicolons and brackets would split or join CMake list items; they travel as control
# characters and come back on the way out.
string(ASCII 1 semicolon)
string(ASCII 2 open)
string(ASCII 3 close)

set(width 78) # dpkg tools and lintian want lines under 80 columns
set(out "")

# Appends <text> to `out`, wrapped at `width`, the first line after <first>, the rest after
# <rest>.
function(append_wrapped text first rest)
    string(STRIP "${text}" text)
    string(REGEX REPLACE "[ \t]+" ";" words "${text}")
    set(line "${first}")
    set(empty TRUE)
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(empty)
            string(APPEND line "${word}")
            set(empty FALSE)
        elseif(length GREATER width)
            string(APPEND out "${line}\n")
            set(line "${rest}${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    string(APPEND out "${line}\n")
    set(out "${out}" PARENT_SCOPE)
endfunction()

# Appends the item gathered so far (`item`, of `kind` paragraph or list) to `out`.
macro(flush_item)
    if(NOT item STREQUAL "")
        if(kind STREQUAL "list" AND has_paragraph)
            append_wrapped("${item}" "    - " "      ")
        else()
            append_wrapped("${item}" "  * " "    ")
        endif()
        if(kind STREQUAL "paragraph")
            set(has_paragraph TRUE)
        endif()
    endif()
    set(item "")
endmacro()

# The closing line of the entry in progress, dated as RFC 2822 asks.
macro(flush_entry)
    flush_item()
    if(in_entry)
        # Sakamoto's method for the day of the week (0 is Sunday).
        set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
        math(EXPR month_index "${entry_month} - 1")
        list(GET offsets ${month_index} offset)
        set(y ${entry_year})
        if(entry_month LESS 3)
            math(EXPR y "${y} - 1")
        endif()
        math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${entry_day}) % 7")
        set(days Sun Mon Tue Wed Thu Fri Sat)
        set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
        list(GET days ${weekday} day_name)
        list(GET months ${month_index} month_name)
        string(APPEND out "\n -- ${MAINTAINER}  ${day_name}, ${entry_day_text} ${month_name} "
                          "${entry_year} 00:00:00 +0000\n")
    endif()
endmacro()

file(READ "${CHANGELOG}" text)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open}" text "${text}")
string(REPLACE "]" "${close}" text "${text}")
string(REPLACE "`" "" text "${text}") # code marks mean nothing in plain text
string(REPLACE "\n" ";" lines "${text}")

set(in_entry FALSE)
set(first_version "")
set(item "")
set(kind "")
foreach(line IN LISTS lines)
    if(line MATCHES "^## ([^ ]+) — ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        set(heading ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
        flush_entry()
        list(GET heading 0 version)
        list(GET heading 1 entry_year)
        list(GET heading 3 entry_day_text)
        list(GET heading 2 entry_month)
        math(EXPR entry_month "1${entry_month} - 100") # no octal from a leading zero
        math(EXPR entry_day "1${entry_day_text} - 100")
        set(in_entry TRUE)
        if(first_version STREQUAL "")
            set(first_version "${version}")
        else()
            string(APPEND out "\n")
        endif()
        set(has_paragraph FALSE)
        string(APPEND out "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
    elseif(line MATCHES "^#" OR NOT in_entry)
        continue() # the file's own title and preface
    elseif(line MATCHES "^[-*] (.*)$")
        flush_item()
        set(item "${CMAKE_MATCH_1}")
        set(kind list)
    elseif(line MATCHES "^[ \t]*$")
        flush_item()
    elseif(NOT item STREQUAL "")
        string(STRIP "${line}" line)
        string(APPEND item " ${line}")
    else()
        set(item "${line}")
        set(kind paragraph)
    endif()
endforeach()
flush_entry()

if(NOT first_version STREQUAL VERSION)
    message(FATAL_ERROR "${CHANGELOG}: its newest section is '${first_version}', not the "
                        "project's version ${VERSION}")
endif()

string(REPLACE "${semicolon}" ";" out "${out}")
string(REPLACE "${open}" "[" out "${out}")
string(REPLACE "${close}" "]" out "${out}")
file(WRITE "${OUTPUT}" "${out}")
