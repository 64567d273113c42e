# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# What the program is, where it works and where to find it: the words the Debian package, the
# AppStream metainfo, the man page, --help and the About window all take from here, so that
# they never disagree. Plain sentences without semicolons, double quotes or backslashes; each
# user escapes them for its own format.
set(VELOQUILL_SUMMARY "Set pointer speed and acceleration for each pointing device")
set(VELOQUILL_PURPOSE
    "Veloquill sets pointer speed and acceleration separately for each pointing device, for "
    "people who steer the pointer with assistive hardware such as a head-tracking mouse, a "
    "trackball or a foot mouse, and need fine control over one device without changing the "
    "others.")
# Every desktop a backend serves, as a sentence goes on after "works in".
set(VELOQUILL_SESSIONS
    "X11 sessions (through XInput 2), KDE Plasma on Wayland (through KWin), GNOME on "
    "Wayland (through GNOME's mouse and touchpad settings, one speed for each kind of device) "
    "and Sway (through its IPC socket)")
# The same words in each language the windows speak, for the desktop entry and the metainfo.
# The windows' own copy of the sessions sentence is in translations/*.ts.
set(VELOQUILL_LANGUAGES de es)
set(VELOQUILL_SUMMARY_de "Zeigergeschwindigkeit und -beschleunigung für jedes Zeigegerät einstellen")
set(VELOQUILL_PURPOSE_de
    "Veloquill stellt Zeigergeschwindigkeit und -beschleunigung für jedes Zeigegerät einzeln "
    "ein, für Menschen, die den Zeiger mit Hilfsmitteln wie einer Kopfmaus, einem Trackball "
    "oder einer Fußmaus steuern und ein Gerät genau einstellen müssen, ohne die anderen zu "
    "verändern.")
set(VELOQUILL_SESSIONS_de
    "X11-Sitzungen (über XInput 2), KDE Plasma unter Wayland (über KWin), GNOME unter "
    "Wayland (über die Maus- und Touchpad-Einstellungen von GNOME, eine Geschwindigkeit je "
    "Geräteart) und Sway (über seinen IPC-Socket)")
set(VELOQUILL_SUMMARY_es
    "Ajustar la velocidad y la aceleración del puntero para cada dispositivo señalador")
set(VELOQUILL_PURPOSE_es
    "Veloquill ajusta la velocidad y la aceleración del puntero por separado para cada "
    "dispositivo señalador, para personas que mueven el puntero con dispositivos de apoyo "
    "como un ratón de cabeza, un trackball o un ratón de pie, y necesitan un control fino de "
    "un dispositivo sin cambiar los demás.")
set(VELOQUILL_SESSIONS_es
    "sesiones X11 (a través de XInput 2), KDE Plasma en Wayland (a través de KWin), GNOME en "
    "Wayland (a través de los ajustes de ratón y panel táctil de GNOME, una velocidad para "
    "cada tipo de dispositivo) y Sway (a través de su socket IPC)")
set(VELOQUILL_LICENSE "GPL-3.0-or-later") # SPDX
set(VELOQUILL_LICENSE_NAME "GNU General Public License, version 3 or later")
set(VELOQUILL_HOMEPAGE "https://github.com/veloquill/veloquill")
set(VELOQUILL_BUG_TRACKER "https://github.com/veloquill/veloquill/issues")
# AppStream wants its component id in lower case; the desktop entry it launches keeps the
# application id.
string(TOLOWER ${VELOQUILL_APP_ID} VELOQUILL_COMPONENT_ID)

set(translated "")
foreach(language IN LISTS VELOQUILL_LANGUAGES)
    list(APPEND translated SUMMARY_${language} PURPOSE_${language} SESSIONS_${language})
endforeach()
foreach(part PURPOSE SESSIONS ${translated})
    string(JOIN "" VELOQUILL_${part} ${VELOQUILL_${part}})
endforeach()
foreach(part SUMMARY PURPOSE SESSIONS LICENSE LICENSE_NAME HOMEPAGE BUG_TRACKER ${translated})
    if(VELOQUILL_${part} MATCHES "[;\"\\\\]")
        message(FATAL_ERROR "VELOQUILL_${part} holds a semicolon, a double quote or a backslash")
    endif()
endforeach()

# The same words escaped for XML text and for a man page's running text.
function(veloquill_xml_escape out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(veloquill_roff_escape out text)
    string(REPLACE "-" "\\-" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Words wrapped into lines of at most <width> characters, joined by newlines.
function(veloquill_wrap out text width)
    string(REGEX MATCHALL "[^ ]+" words "${text}")
    set(lines "")
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line STREQUAL "")
            set(line "${word}")
        elseif(length GREATER width)
            string(APPEND lines "${line}\n")
            set(line "${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    set(${out} "${lines}${line}" PARENT_SCOPE)
endfunction()
