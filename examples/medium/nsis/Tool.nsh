; One tool's setup as an ordinary NSIS installer: started with "/S /D=<folder>"
; it installs silently into that folder, writes its uninstaller and registers
; it under the Uninstall key, as NSIS installers do. The including script
; defines PRODUCT, KEY (the Uninstall subkey), MAIN (the main file) and
; VERSION; makensis is given STUB (x86-ansi or amd64-unicode) and OUTFILE.

!ifndef STUB
  !define STUB x86-ansi
!endif
Target ${STUB}
!ifndef OUTFILE
  !error "makensis -DOUTFILE=<setup.exe> is required"
!endif

!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Where it would go without /D=; the installer always passes a folder.
InstallDir "$PROGRAMFILES\Tarvo Kinetics\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow

Page directory
Page instfiles
UninstPage instfiles

Section
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\${MAIN}" w
  FileWrite $0 "${PRODUCT} ${VERSION}$\r$\n"
  FileClose $0
  FileOpen $0 "$INSTDIR\${KEY}.txt" w
  FileWrite $0 "${PRODUCT} ${VERSION}, installed into $INSTDIR$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL}" "Publisher" "Tarvo Kinetics"
  WriteRegStr HKLM "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\${MAIN}"
  Delete "$INSTDIR\${KEY}.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL}"
SectionEnd
