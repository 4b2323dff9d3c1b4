; SPDX-License-Identifier: GPL-3.0-or-later
; The game's Windows installer: the program in Program Files, a Start-menu entry with the die icon,
; an uninstaller and an entry in the installed-programs list. /S installs and uninstalls silently.
; The build defines VERSION, STAGE (the folder holding what is installed) and OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "FileFunc.nsh"

!define NAME "Зарвики"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zarviki"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${STAGE}\zarviki.ico"
UninstallIcon "${STAGE}\zarviki.ico"
InstallDir "$PROGRAMFILES64\Zarviki"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1049 "FileDescription" "${NAME}: установка"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "GPL-3.0-or-later"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Russian.nlf"
LicenseData "${STAGE}\COPYING.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "${NAME}"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}\zarviki.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\COPYING.txt"
    File "${STAGE}\OFL-Liberation.txt"
    File "${STAGE}\LGPL-3.txt"
    File "${STAGE}\Qt-copyright.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\zarviki.exe" "" "$INSTDIR\zarviki.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zarviki.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The hero record in each player's %APPDATA%\zarviki is the player's own and stays.
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\zarviki.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\OFL-Liberation.txt"
    Delete "$INSTDIR\LGPL-3.txt"
    Delete "$INSTDIR\Qt-copyright.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
