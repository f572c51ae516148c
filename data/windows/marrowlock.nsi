; SPDX-License-Identifier: MIT
; The Windows installer: the three programs (marrowlock.exe for the window and
; Explorer, marrowlock.com for prompts), the help text and the licence under Program
; Files, Start menu entries, the file types .enc (opened in the window) and .mlk, and
; an uninstaller that takes all of it away again.
;   makensis -DVERSION=1.1.0 -DSTAGE=<folder of the files> -DOUTFILE=<installer> marrowlock.nsi
Unicode true
; A 64-bit installer: the programs are 64-bit, and a 32-bit one would see the 32-bit
; registry and Program Files (x86).
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP "Marrowlock"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define ENC_TYPE "Marrowlock.Encrypted"
!define KEY_TYPE "Marrowlock.Key"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
RequestExecutionLevel admin
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!macro TELL_EXPLORER
  ; SHChangeNotify(SHCNE_ASSOCCHANGED): Explorer shows the new file types at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "Marrowlock"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\marrowlock.exe"
  File "${STAGE}\marrowlock.com"
  File "${STAGE}\marrowlock-cli.exe"
  File "${STAGE}\marrowlock-keygen.exe"
  File "${STAGE}\mlhelp.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\marrowlock.exe" "--open" "$INSTDIR\marrowlock.exe" 0
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} Help.lnk" "$INSTDIR\mlhelp.txt"
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"

  ; An encrypted file opens in the window: --open takes the whole name as it is, so
  ; no character of it is read as an option.
  WriteRegStr HKLM "Software\Classes\.enc" "" "${ENC_TYPE}"
  WriteRegStr HKLM "Software\Classes\${ENC_TYPE}" "" "Marrowlock encrypted file"
  WriteRegStr HKLM "Software\Classes\${ENC_TYPE}\DefaultIcon" "" "$INSTDIR\marrowlock.exe,0"
  WriteRegStr HKLM "Software\Classes\${ENC_TYPE}\shell\open\command" "" '"$INSTDIR\marrowlock.exe" --open "%1"'
  ; A key file is shown as one, and has no open verb: opening a file that is not
  ; encrypted would encrypt it, and a key is not to be encrypted by a double-click.
  WriteRegStr HKLM "Software\Classes\.mlk" "" "${KEY_TYPE}"
  WriteRegStr HKLM "Software\Classes\${KEY_TYPE}" "" "Marrowlock key"
  WriteRegStr HKLM "Software\Classes\${KEY_TYPE}\DefaultIcon" "" "$INSTDIR\marrowlock.exe,0"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\marrowlock.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro TELL_EXPLORER
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\marrowlock.exe"
  Delete "$INSTDIR\marrowlock.com"
  Delete "$INSTDIR\marrowlock-cli.exe"
  Delete "$INSTDIR\marrowlock-keygen.exe"
  Delete "$INSTDIR\mlhelp.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} Help.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk"
  RMDir "$SMPROGRAMS\${APP}"

  ; The extensions are taken back only while they are still ours.
  ReadRegStr $0 HKLM "Software\Classes\.enc" ""
  StrCmp $0 "${ENC_TYPE}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.enc"
  ReadRegStr $0 HKLM "Software\Classes\.mlk" ""
  StrCmp $0 "${KEY_TYPE}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.mlk"
  DeleteRegKey HKLM "Software\Classes\${ENC_TYPE}"
  DeleteRegKey HKLM "Software\Classes\${KEY_TYPE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro TELL_EXPLORER
SectionEnd
