; The Windows installer, made by makensis from the folder the build stages (./package windows):
;   makensis -DVERSION=1.0.0 -DSTAGE=FOLDER -DICON=FILE -DOUTFILE=FILE installer.nsi
; It installs for every user of the machine into Program Files\Zantorvix, with a Start menu
; entry and an uninstaller listed in "Apps & features". The player's own files live in
; %APPDATA%\Zantorvix, which the game makes; the uninstaller leaves them there.
; /S installs (and uninstalls) silently.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zantorvix"

Name "Zantorvix"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zantorvix"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Zantorvix ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Zantorvix"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Zantorvix ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "The Zantorvix developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Zantorvix developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\zantorvix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Play Zantorvix now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Zantorvix"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}/zantorvix.exe"
    File "${STAGE}/*.dll"
    File "${STAGE}/*.txt"
    File /r "${STAGE}/gfx"
    File /r "${STAGE}/sfx"
    File /r "${STAGE}/licences"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Zantorvix.lnk" "$INSTDIR\zantorvix.exe" "" \
        "$INSTDIR\zantorvix.exe" 0 SW_SHOWNORMAL "" "Falling-block puzzle game with bombs"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zantorvix"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zantorvix.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Zantorvix developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Zantorvix.lnk"
    Delete "$INSTDIR\zantorvix.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\*.txt"
    RMDir /r "$INSTDIR\gfx"
    RMDir /r "$INSTDIR\sfx"
    RMDir /r "$INSTDIR\licences"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The player's settings, scores and recorded games in %APPDATA%\Zantorvix are theirs: kept.
SectionEnd
