; The Windows installer of Tavelo (makensis, run by the build). It puts the program folder where
; the user can write (the folder holds all the agenda's data), adds the desktop icon, which
; starts the program with "/bureau", and the start at log-on with "/test"; the uninstaller
; removes the program's files, the icon and the start, and keeps the user's data.
; Defines given by the build: SOURCE (the program folder to install), OUTPUT (the installer).
Unicode true
!include "MUI2.nsh"

Name "Tavelo"
OutFile "${OUTPUT}"
InstallDir "$LOCALAPPDATA\Tavelo"
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavelo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

Section "Tavelo"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\desinstaller.exe"
  CreateShortcut "$DESKTOP\Tavelo.lnk" "$INSTDIR\tavelo.exe" "/bureau"
  CreateDirectory "$SMPROGRAMS\Tavelo"
  CreateShortcut "$SMPROGRAMS\Tavelo\Tavelo.lnk" "$INSTDIR\tavelo.exe"
  CreateShortcut "$SMPROGRAMS\Tavelo\Désinstaller Tavelo.lnk" "$INSTDIR\desinstaller.exe"
  WriteRegStr HKCU "${RUN_KEY}" "Tavelo" '"$INSTDIR\tavelo.exe" /test'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tavelo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstaller.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
SectionEnd

Section "Uninstall"
  Delete "$DESKTOP\Tavelo.lnk"
  RMDir /r "$SMPROGRAMS\Tavelo"
  DeleteRegValue HKCU "${RUN_KEY}" "Tavelo"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The program's files go; the plannings, settings, journals and backups stay.
  !include "${FILES}"
  Delete "$INSTDIR\desinstaller.exe"
  RMDir "$INSTDIR"
SectionEnd
