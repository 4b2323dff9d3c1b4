# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DIN=file -DOUT=file [-DLICENCE_OF=name] -P WindowsText.cmake
# Copies a text file with Windows line ends. With LICENCE_OF, IN is a Debian copyright file and only
# the licence paragraph named "License: <LICENCE_OF>" of its first Files paragraph is copied.
file(READ "${IN}" text)
if(LICENCE_OF)
    string(FIND "${text}" "\nLicense: ${LICENCE_OF}\n" start)
    if(start EQUAL -1)
        message(FATAL_ERROR "${IN} has no licence ${LICENCE_OF}")
    endif()
    string(FIND "${text}" "\nCopyright:" copyright)
    string(SUBSTRING "${text}" ${copyright} -1 text)
    string(FIND "${text}" "\n\n" end)
    string(SUBSTRING "${text}" 1 ${end} text)
    string(REGEX REPLACE "(^|\n)(Copyright|License):[^\n]*\n" "\\1" text "${text}")
    string(REGEX REPLACE "(^|\n) \\.(\n|$)" "\\1\\2" text "${text}")
    string(REGEX REPLACE "(^|\n) " "\\1" text "${text}")
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
