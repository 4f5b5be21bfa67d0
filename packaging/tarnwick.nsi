; The Tarnwick installer. Built by scripts/package, which passes:
;   VERSION  the version (from the repository's VERSION file)
;   TARGET   x86-unicode or amd64-unicode, as the client was built
;   STAGE    the folder holding the files to install (the zip's content)
;   FILES    an include file listing them, for the uninstaller
;   ICON     the program icon
;   OUTFILE  the installer to write
; Per user (default without administrator rights) or per machine; silent with /S, a folder
; with /D=, /CurrentUser or /AllUsers to choose. An upgrade keeps the user's config.ini and
; service.ini, and so does uninstalling.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Tarnwick"
!define PUBLISHER "Tarnwick Games"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!if "${TARGET}" == "amd64-unicode"
  !define MULTIUSER_USE_PROGRAMFILES64
!endif
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The client is started by the desktop's shell, as the signed-in user, never by this
; installer: run from an elevated installer it would make its browser data as the
; administrator, where the user could later only read it.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartClientAsUser
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var chosenDir

Function .onInit
  ; /D= sets the folder before this runs; the install mode would replace it.
  StrCpy $chosenDir $INSTDIR
  !insertmacro MULTIUSER_INIT
  StrCmp $chosenDir "" +2
  StrCpy $INSTDIR $chosenDir
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Function StartClientAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Tarnwick.exe"'
FunctionEnd

; Empties and removes a folder the client wrote (its path on the stack), never going
; through a junction or a symbolic link: such a link is removed itself, where the system
; lets it be, and what it points at stays. In a folder other users can write, a link
; planted there would otherwise have an administrator's uninstall delete its target.
Function un.RemoveOwnTree
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r3'
  IntCmp $3 -1 done
  ; FILE_ATTRIBUTE_DIRECTORY without FILE_ATTRIBUTE_REPARSE_POINT: a real folder.
  IntOp $3 $3 & 0x410
  IntCmp $3 0x10 walk
  RMDir $0
  Delete $0
  Goto done
walk:
  FindFirst $1 $2 "$0\*.*"
loop:
  StrCmp $2 "" close
  StrCmp $2 "." next
  StrCmp $2 ".." next
  Push "$0\$2"
  Call un.RemoveOwnTree
next:
  FindNext $1 $2
  Goto loop
close:
  FindClose $1
  RMDir $0
done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "Tarnwick" main
  SetOutPath "$INSTDIR"
  ; The settings a user may have changed stay as they are.
  SetOverwrite off
  File "${STAGE}/config.ini"
  File "${STAGE}/service.ini"
  SetOverwrite on
  File /r /x config.ini /x service.ini "${STAGE}/*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Tarnwick.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarnwick.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  ; Only the files the package brought: the user's settings and anything else they put
  ; there stay, and so does the folder while it holds them.
  !include "${FILES}"
  ; The browser's profile, cache and log, which the client writes beside itself where it
  ; can, else in the user's local application data (that of the user uninstalling).
  Push "$INSTDIR\cef_temp"
  Call un.RemoveOwnTree
  SetShellVarContext current
  Push "$LOCALAPPDATA\Tarnwick\cef_temp"
  Call un.RemoveOwnTree
  RMDir "$LOCALAPPDATA\Tarnwick"
  StrCmp $MultiUser.InstallMode "AllUsers" 0 +2
  SetShellVarContext all
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
