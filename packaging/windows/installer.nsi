; The Windows installer: polytree.exe, polytree.scr, README.md and LICENSE in
; a folder of the user's choice, a Start menu entry, an entry in Installed
; apps, and optionally PolyTree as the current screen saver.
;
; Per user, never asking for administrator rights: the screen saver's
; settings (HKCU\Software\PolyTree\Screen Saver, written by the saver) and
; the choice of screen saver (HKCU\Control Panel\Desktop\SCRNSAVE.EXE) are
; the user's own, so everything this installer writes sits in the hive of
; the user who runs it; upgrades and package managers need no elevation.
; The price: the saver is not in the system folder, so Windows' list of
; savers shows it while it is the current one, which SCRNSAVE.EXE names by
; its path.
;
; makensis reads it through the wrapper the build writes beside the
; programs (polytree-installer.nsi), which defines VERSION, OUTFILE, SOURCE,
; PUBLISHER and COPYRIGHT; the programs, VIEWER and SAVER, are named on
; makensis's command line, where a VERSION or OUTFILE wins over the
; wrapper's:
;   makensis -DVIEWER=polytree.exe -DSAVER=polytree.scr -DVERSION=0.9.0
;            -DOUTFILE=old-setup.exe polytree-installer.nsi
;
; Switches besides NSIS's own /S and /D=FOLDER:
;   setup.exe /S /SetScreenSaver   also makes PolyTree the current saver
;                                  (the dialog's option, on by default there)
;   uninstall.exe /S /RemoveSettings
;                                  also removes the saver's settings

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS Win7 Win8 Win8.1 Win10
ManifestDPIAwareness system
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PolyTree"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\PolyTree\Screen Saver"
!define SHORTCUT "$SMPROGRAMS\PolyTree.lnk"

Name "PolyTree"
BrandingText "PolyTree ${VERSION}"
OutFile "${OUTFILE}"
; FOLDERID_UserProgramFiles; an earlier install's folder unless /D= says
; otherwise, so that an upgrade replaces it.
InstallDir "$LOCALAPPDATA\Programs\PolyTree"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${SOURCE}/assets/polytree.ico"
!define MUI_UNICON "${SOURCE}/assets/polytree.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\polytree.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "PolyTree"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "PolyTree installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "polytree-${VERSION}-win64-setup.exe"

; result = 1 when path (a SCRNSAVE.EXE value) names folder's polytree.scr,
; by its long or its short name; 0 otherwise, a missing file included.
!macro NamesSaver result path folder
  GetFullPathName /SHORT $R8 "${path}"
  GetFullPathName /SHORT $R9 "${folder}\polytree.scr"
  ${If} $R8 != ""
  ${AndIf} $R8 == $R9
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
!macroend

!define SPI_GETSCREENSAVEACTIVE 16
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
; Screen savers switched on (1) or off (0), written only when they are not
; so already.
!macro ScreenSaveActive on
  System::Call "user32::SystemParametersInfoW(i ${SPI_GETSCREENSAVEACTIVE}, i 0, *i .R7, i 0)"
  ${If} $R7 != ${on}
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i ${on}, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
  ${EndIf}
!macroend

; Everything the installer puts into a folder, and the folder once empty;
; and the default folder's parent, which the first per-user install may
; have made, once nothing else is in it.
!macro RemoveFiles folder
  Delete "${folder}\polytree.exe"
  Delete "${folder}\polytree.scr"
  Delete "${folder}\README.md"
  Delete "${folder}\LICENSE"
  Delete "${folder}\uninstall.exe"
  RMDir "${folder}"
  ${GetParent} "${folder}" $R9
  ${If} $R9 == "$LOCALAPPDATA\Programs"
    RMDir $R9
  ${EndIf}
!macroend

Section "PolyTree (required)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=polytree.exe" "${VIEWER}"
  File "/oname=polytree.scr" "${SAVER}"
  File "/oname=README.md" "${SOURCE}/README.md"
  File "/oname=LICENSE" "${SOURCE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\polytree.exe" "" "" 0 SW_SHOWNORMAL "" "PolyTree fractal viewer"

  ; An earlier version in another folder: its files go, and a saver chosen
  ; from there is the new folder's, so one copy stays installed and listed.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    !insertmacro NamesSaver $2 $1 $0
    ${If} $2 == 1
      GetFullPathName /SHORT $1 "$INSTDIR\polytree.scr"
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
    ${EndIf}
    !insertmacro RemoveFiles $0
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "PolyTree"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\polytree.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; SCRNSAVE.EXE names the saver by its short path: no spaces for Windows to
; split the command line it starts the saver with at. As when the user picks
; a saver in the settings, screen savers are switched on too
; (SPI_SETSCREENSAVEACTIVE). The saver named before and the switch are kept
; in the uninstall key for the uninstaller, unless PolyTree's already is the
; current one (a reinstall keeps the first record).
Section "Use PolyTree as my screen saver" SecSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro NamesSaver $1 $0 $INSTDIR
  ${If} $1 == 0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "ScreenSaverBefore" $0
    System::Call "user32::SystemParametersInfoW(i ${SPI_GETSCREENSAVEACTIVE}, i 0, *i .r2, i 0)"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "ScreenSaveActiveBefore" $2
  ${EndIf}
  GetFullPathName /SHORT $0 "$INSTDIR\polytree.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  !insertmacro ScreenSaveActive 1
SectionEnd

; The saver chosen before comes back only while PolyTree's is still the
; current one: a later choice of the user's stays, and so does the switch
; of screen savers as it was. Without a record (PolyTree was picked in the
; settings) it is none, as the settings' (None) leaves it: no SCRNSAVE.EXE,
; screen savers off. NSIS runs the uninstaller from a copy in
; %TEMP% that Windows deletes at the next restart, but asks for its folder
; before the copy inside it, so the folder is asked for again after it.
Section "un.PolyTree" UnSecProgram
  SectionIn RO
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro NamesSaver $1 $0 $INSTDIR
  ${If} $1 == 1
    ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "ScreenSaverBefore"
    ReadRegDWORD $3 HKCU "${UNINSTALL_KEY}" "ScreenSaveActiveBefore"
    ${If} $2 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ${EndIf}
    ${If} $3 == ""
      StrCpy $3 0
    ${EndIf}
    !insertmacro ScreenSaveActive $3
  ${EndIf}
  Delete "${SHORTCUT}"
  !insertmacro RemoveFiles $INSTDIR
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Made by the first per-user install, maybe: removed once empty.
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  ${If} $EXEDIR != $INSTDIR
    Delete /REBOOTOK "$EXEPATH"
    RMDir /REBOOTOK "$EXEDIR"
    SetRebootFlag false
  ${EndIf}
SectionEnd

; Written by the saver, not by the installer: removed only when asked.
Section /o "un.My screen saver settings" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\PolyTree"
SectionEnd

Function .onInit
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SetScreenSaver" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecSaver}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveSettings" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
