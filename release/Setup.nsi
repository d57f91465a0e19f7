; The setup program of Clipboard Quorvex: a per-user installation that needs no administrator.
; The program keeps its clips beside its executable, so it lives where its user may write:
; %LOCALAPPDATA%\Programs\Clipboard Quorvex unless /D= names another folder.
;
;   makensis -DVERSION=1.2.3 -DDIST=<installation folder> -DOUTFILE=<setup.exe> Setup.nsi
;
; The licence page appears when the project has a LICENSE file.

!define PRODUCT "Clipboard Quorvex"
!define MAKER "Corvellan Software"
!define EXE "Quorvex.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "CORVELLAN"
!define SETTINGS_KEY "Software\CORVELLAN"
!define RES "${__FILEDIR__}\..\res"

Unicode true
; The program is 64-bit; so is its setup, which then sees the registry and folders it sees.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade offers the folder of the installation it replaces.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${MAKER}"

!include MUI2.nsh
!include LogicLib.nsh

!define MUI_ICON "${RES}\quorvex.ico"
!define MUI_UNICON "${RES}\quorvex.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RES}\wizard.bmp"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!if /FileExists "${__FILEDIR__}\..\LICENSE"
  !insertmacro MUI_PAGE_LICENSE "${__FILEDIR__}\..\LICENSE"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends the copy of this installation that runs, if one does, and waits until its process is gone:
; "-exit" only asks it, and its files cannot be replaced or removed while it runs. The window is
; found before the request, since it goes before the process does; a copy that runs from another
; folder is left alone, as "-exit" leaves it.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  System::Call 'user32::FindWindowW(w "#32770", w "${PRODUCT}") p.r0'
  ${If} $0 P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p.r2'
    ${If} $2 P<> 0
      StrCpy $3 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
      ${If} $3 == "$INSTDIR\${EXE}"
        DetailPrint "Ending the running ${PRODUCT}"
        ExecWait '"$INSTDIR\${EXE}" -exit'
        System::Call 'kernel32::WaitForSingleObject(p r2, i 15000)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

; Only the program's own files: Save.ini, the clips, the exports and the append file of an earlier
; installation stay as they are.
Section "-${PRODUCT}" SectionProgram
  SetOutPath "$INSTDIR"
  Call EndRunningCopy
  File "${DIST}\${EXE}"
  File "${DIST}\Manual.doc"
  File "${DIST}\Manual.html"
  CreateDirectory "$INSTDIR\RECENT"
  CreateDirectory "$INSTDIR\FAVORITE"
  CreateDirectory "$INSTDIR\EXPORT"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
  ; The web page opens on every Windows; Manual.doc needs a program for Word documents.
  CreateShortCut "$SMPROGRAMS\${PRODUCT} Manual.lnk" "$INSTDIR\Manual.html"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  SectionGetSize ${SectionProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's files, shortcuts, uninstall entry and registry data go; the clips are the user's
; and stay unless the user asks otherwise. The diagnostic log goes with the program.
Section "Uninstall"
  Call un.EndRunningCopy

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Delete your clips too?$\r$\n$\r$\nYour recent clips, favourites, projects, exports and append file in $INSTDIR are kept unless you choose Yes." \
    /SD IDNO IDNO keepClips
    Delete "$INSTDIR\Save.ini"
    Delete "$INSTDIR\ClipAppends.txt"
    RMDir /r "$INSTDIR\RECENT"
    RMDir /r "$INSTDIR\FAVORITE"
    RMDir /r "$INSTDIR\EXPORT"
  keepClips:

  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\Manual.doc"
  Delete "$INSTDIR\Manual.html"
  Delete "$INSTDIR\Clip.log"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only empty folders go: whatever is left in them is the user's.
  RMDir "$INSTDIR\RECENT"
  RMDir "$INSTDIR\FAVORITE"
  RMDir "$INSTDIR\EXPORT"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT} Manual.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The program keeps its settings under HKLM where it may write there, else under HKCU. A Run
  ; value that starts another copy of the program is that copy's, and so are HKLM's settings then.
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
  ${EndIf}
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
