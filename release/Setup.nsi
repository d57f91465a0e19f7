; The setup program of Clipboard Quorvex: a per-user installation that needs no administrator.
; The program keeps its clips beside its executable, so it lives where its user may write:
; %LOCALAPPDATA%\Programs\Clipboard Quorvex unless /D= names another folder.
;
;   makensis -DVERSION=1.2.3 -DDIST=<installation folder> -DOUTFILE=<setup.exe>
;            -DSETTINGS_KEY=<key> -DRUN_VALUE=<name> -DMAKER_PAGE=<url> [-DSIGN=<command>] Setup.nsi
;
; The build reads the registry names and the maker's page from the program's own code. SIGN names
; a command that signs the file it is given in place: the uninstaller and the setup are signed as
; they are made. The licence page appears when the project has a LICENSE file.

!define PRODUCT "Clipboard Quorvex"
!define MAKER "Corvellan Software"
!define EXE "Quorvex.exe"
!define UNINSTALLER "uninstall.exe"
; Named after the program: a Setup.log of the user's own in the folder stays theirs.
!define SETUP_LOG "Quorvex-Setup.log"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Held by a running setup or uninstall: two at once would write into one folder.
!define SETUP_MUTEX "Corvellan Clipboard Quorvex Setup"
!define RES "${__FILEDIR__}\..\res"

Unicode true
; The program is 64-bit; so is its setup, which then sees the registry and folders it sees.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

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
!include FileFunc.nsh

Var EndedCopy      ; 1 once the running copy of this installation was ended
Var ShellElevated  ; 1 when this run and the session's taskbar both have administrator rights
Var OtherCopy      ; the executable of a copy that runs from another folder, for the finish page
Var FolderNote     ; why the folder is another than the one asked for, for the log
Var InstalledFolder  ; the folder of the installation the uninstall entry names, "" when none
Var InstalledVersion ; and its version
Var SetupLog       ; the log's handle while the installation runs
Var DirectoryText
Var FinishText
Var FinishRunText

!define MUI_ICON "${RES}\quorvex.ico"
!define MUI_UNICON "${RES}\quorvex.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RES}\wizard.bmp"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!if /FileExists "${__FILEDIR__}\..\LICENSE"
  !insertmacro MUI_PAGE_LICENSE "${__FILEDIR__}\..\LICENSE"
!endif
!define MUI_DIRECTORYPAGE_TEXT_TOP "$DirectoryText"
!define MUI_PAGE_CUSTOMFUNCTION_PRE DescribeFolder
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$FinishRunText"
!define MUI_FINISHPAGE_RUN_FUNCTION FinishRun
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A line in the details and in the setup's log, while the installation writes one.
!macro Say TEXT
  DetailPrint "${TEXT}"
  ${If} $SetupLog != ""
    FileWriteUTF16LE $SetupLog "${TEXT}$\r$\n"
  ${EndIf}
!macroend

; Ends the setup or uninstall with exit code 2, saying why in a message box (unless silent) and in a log
; of its own in the temporary folder: it has no folder of the program's to log in yet.
!macro REFUSE ICON TEXT
  FileOpen $0 "$TEMP\${SETUP_LOG}" a
  FileSeek $0 0 END
  FileWriteUTF16LE /BOM $0 "${TEXT}$\r$\n"
  FileClose $0
  MessageBox MB_OK|${ICON} "${TEXT}" /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

; Ends this program at once when another setup or uninstall of the program runs. One run with
; administrator rights made the mutex so that this one may not open it.
!macro ONLY_ONE_SETUP_AT_A_TIME
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 = 183 ; ERROR_ALREADY_EXISTS
  ${OrIf} $1 = 5 ; ERROR_ACCESS_DENIED
    !insertmacro REFUSE MB_ICONEXCLAMATION "A setup or an uninstall of ${PRODUCT} is already running.$\r$\n$\r$\nLet it finish first."
  ${EndIf}
!macroend

; A per-user installation never needs administrator rights. Run with them, the setup or uninstall works
; in the profile of whoever gave them: a standard user who answers the prompt with an administrator's
; password would install for that account. It ends when its token is elevated and the session's
; taskbar runs without elevation or belongs to another account (its process may not be opened). Where
; everything runs elevated (User Account Control off, Wine), or there is no taskbar, it goes on.
!macro NOT_ELEVATED WHAT
  StrCpy $2 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r0) i .r1' ; TOKEN_QUERY
  ${If} $1 <> 0
    System::Call 'advapi32::GetTokenInformation(p r0, i 20, *i .r2, i 4, *i .r1)' ; TokenElevation
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
  System::Call 'user32::FindWindowW(w "Shell_TrayWnd", p 0) p .r3'
  ${If} $2 <> 0
  ${AndIf} $3 P<> 0
    StrCpy $5 0
    System::Call 'user32::GetWindowThreadProcessId(p r3, *i .r4)'
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r4) p .r3' ; PROCESS_QUERY_LIMITED_INFORMATION
    ${If} $3 P<> 0
      System::Call 'advapi32::OpenProcessToken(p r3, i 8, *p .r0) i .r1'
      ${If} $1 <> 0
        System::Call 'advapi32::GetTokenInformation(p r0, i 20, *i .r5, i 4, *i .r1)'
        System::Call 'kernel32::CloseHandle(p r0)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
    ${If} $5 = 0
      !insertmacro REFUSE MB_ICONSTOP "Run this ${WHAT} without administrator rights."
    ${EndIf}
    StrCpy $ShellElevated 1
  ${EndIf}
!macroend

; The program that runs, found by its main window, from whichever folder: only one copy runs at a
; time. Its executable in $R0 and its process, opened for waiting, in $R1; "" and 0 when none runs.
!macro FIND_RUNNING_COPY un
Function ${un}FindRunningCopy
  StrCpy $R0 ""
  StrCpy $R1 0
  System::Call 'user32::FindWindowW(w "#32770", w "${PRODUCT}") p.r0'
  ${If} $0 P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p.R1'
    ${If} $R1 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p R1, i 0, w .R0, *i ${NSIS_MAX_STRLEN})'
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro FIND_RUNNING_COPY ""
!insertmacro FIND_RUNNING_COPY "un."

; Ends the copy of this installation that runs, if one does, and waits until its process is gone:
; "-exit" only asks it, and its files cannot be replaced or removed while it runs. A copy that runs
; from another folder is left alone, as "-exit" leaves it.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  Call ${un}FindRunningCopy
  ${If} $R0 == "$INSTDIR\${EXE}"
    !insertmacro Say "Ending the running ${PRODUCT}"
    ExecWait '"$INSTDIR\${EXE}" -exit'
    System::Call 'kernel32::WaitForSingleObject(p R1, i 15000)'
    StrCpy $EndedCopy 1
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p R1)'
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Function .onInit
  !insertmacro NOT_ELEVATED setup
  !insertmacro ONLY_ONE_SETUP_AT_A_TIME
  Call TakeFolderArgument
  Call TidyFolder
  ReadRegStr $InstalledFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $InstalledVersion HKCU "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $InstalledFolder == ""
  ${OrIfNot} ${FileExists} "$InstalledFolder\${EXE}"
    StrCpy $InstalledFolder ""
  ${EndIf}
  ${If} ${Silent}
    Call MoveIntoOwnFolder
  ${EndIf}
FunctionEnd

; The folder of /D=, read again from the command line as it was given: the setup's own reading
; takes no quotes and silently falls back to the default folder. A folder given as no full path
; ends the setup with an error rather than an installation elsewhere.
Function TakeFolderArgument
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  StrCpy $2 0
  ${Do}
    ${If} $2 >= $1
      Return
    ${EndIf}
    StrCpy $3 $0 4 $2
    ${IfThen} $3 S== " /D=" ${|} ${ExitDo} ${|}
    IntOp $2 $2 + 1
  ${Loop}
  IntOp $2 $2 + 4
  StrCpy $3 $0 "" $2
  ${Do}
    StrCpy $4 $3 "" -1
    ${IfThen} $4 != " " ${|} ${ExitDo} ${|}
    StrCpy $3 $3 -1
  ${Loop}
  StrCpy $4 $3 1
  StrCpy $5 $3 "" -1
  StrLen $6 $3
  ${If} $4 == '"'
  ${AndIf} $5 == '"'
  ${AndIf} $6 > 1
    StrCpy $3 $3 -1 1
  ${EndIf}
  System::Call 'shlwapi::StrChrW(w r3, i 34) p .r4'
  System::Call 'shlwapi::PathIsRelativeW(w r3) i .r5'
  ${If} $3 == ""
  ${OrIf} $4 P<> 0
  ${OrIf} $5 <> 0
    !insertmacro REFUSE MB_ICONSTOP "/D= needs the full path of a folder, as in /D=C:\Tools\${PRODUCT}, not $\"$3$\"."
  ${EndIf}
  StrCpy $INSTDIR $3
FunctionEnd

; $INSTDIR as a full path without a trailing backslash, as the folder page shows it: the folder of
; an earlier installation comes from the registry with one. A drive's root keeps its backslash
; ("C:" alone is the drive's current folder), no other folder does.
Function TidyFolder
  ${Do}
    StrCpy $0 $INSTDIR "" -1
    ${IfThen} $0 != "\" ${|} ${ExitDo} ${|}
    StrCpy $INSTDIR $INSTDIR -1
  ${Loop}
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR\", i ${NSIS_MAX_STRLEN}, w .r0, p 0)'
  StrCpy $1 $0 "" -2
  ${IfThen} $1 != ":\" ${|} StrCpy $0 $0 -1 ${|}
  StrCpy $INSTDIR $0
FunctionEnd

; 1 in $0 when the program is installed in a folder other than $INSTDIR: that copy stays as it is.
Function IsAnotherFolder
  StrCpy $0 0
  ${If} $InstalledFolder == ""
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR
  StrCpy $2 $InstalledFolder
  StrCpy $3 $1 "" -1
  ${IfThen} $3 == "\" ${|} StrCpy $1 $1 -1 ${|}
  StrCpy $3 $2 "" -1
  ${IfThen} $3 == "\" ${|} StrCpy $2 $2 -1 ${|}
  ${IfThen} $1 != $2 ${|} StrCpy $0 1 ${|}
FunctionEnd

; 1 in $0 when $INSTDIR holds files and is not the program's folder. It is the program's when it
; holds Quorvex.exe or Save.ini (an uninstall that kept the clips leaves Save.ini without the
; program), or when each name in it is one the program or its setup makes.
Function HoldsOthersFiles
  StrCpy $0 0
  ${If} ${FileExists} "$INSTDIR\${EXE}"
  ${OrIf} ${FileExists} "$INSTDIR\Save.ini"
    Return
  ${EndIf}
  FindFirst $1 $2 "$INSTDIR\*"
  ${DoWhile} $2 != ""
    StrCpy $3 $2 5
    StrCpy $4 $2 "" -4
    ${If} $2 == "."
    ${OrIf} $2 == ".."
    ${OrIf} $2 == "Save.TMP"
    ${OrIf} $2 == "ClipAppends.txt"
    ${OrIf} $2 == "ClipAppends.TMP"
    ${OrIf} $2 == "Clip.log"
    ${OrIf} $2 == "Quorvex.lock"
    ${OrIf} $2 == "${SETUP_LOG}"
    ${OrIf} $2 == "Manual.doc"
    ${OrIf} $2 == "Manual.html"
    ${OrIf} $2 == "${UNINSTALLER}"
    ${OrIf} $2 == "RECENT"
    ${OrIf} $2 == "FAVORITE"
    ${OrIf} $2 == "EXPORT"
    ${OrIf} $3$4 == "Save~.TMP"
      ; a name of the program's
    ${Else}
      StrCpy $0 1
      ${ExitDo}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
FunctionEnd

; A silent setup never installs among someone else's files: it takes a folder of its own inside.
Function MoveIntoOwnFolder
  ${Do}
    Call HoldsOthersFiles
    ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
    StrCpy $FolderNote "$FolderNote$INSTDIR holds files that are not ${PRODUCT}'s: installing into $INSTDIR\${PRODUCT}$\r$\n"
    StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
  ${Loop}
FunctionEnd

; The folder page's text for the folder it shows: an installation there is replaced, one in
; another folder stays.
Function DescribeFolder
  Call IsAnotherFolder
  ${If} $InstalledFolder == ""
    StrCpy $DirectoryText "$(^DirText)"
  ${ElseIf} $0 = 0
    StrCpy $DirectoryText "${PRODUCT} $InstalledVersion is installed in $InstalledFolder and will be replaced; your clips stay. To install in a different folder, click Browse and select another folder. $(^ClickInstall)"
  ${Else}
    StrCpy $DirectoryText "${PRODUCT} $InstalledVersion is installed in $InstalledFolder. That copy stays there with its clips when you install into another folder, and only its own ${UNINSTALLER} removes it then."
  ${EndIf}
FunctionEnd

; The text follows the folder as the user types or browses.
Function .onVerifyInstDir
  Call DescribeFolder
  SendMessage $mui.DirectoryPage.Text ${WM_SETTEXT} 0 "STR:$DirectoryText"
FunctionEnd

; A folder that holds someone else's files: the page offers a folder of the program's own inside it,
; and installs beside those files only when told to.
Function DirectoryLeave
  StrCpy $FolderNote ""
  ${Do}
    Call HoldsOthersFiles
    ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
    MessageBox MB_YESNOCANCEL|MB_ICONQUESTION "$INSTDIR already holds files that are not ${PRODUCT}'s.$\r$\n$\r$\nInstall into $INSTDIR\${PRODUCT} instead?$\r$\n$\r$\nChoose No to install into $INSTDIR itself, beside those files: a file there with the name of one of the program's would be replaced." IDYES ownFolder IDNO besideThem
    Abort
    ownFolder:
      StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
      SendMessage $mui.DirectoryPage.Directory ${WM_SETTEXT} 0 "STR:$INSTDIR"
      ${Continue}
    besideThem:
      StrCpy $FolderNote "Installing into $INSTDIR beside files that are not ${PRODUCT}'s, as chosen$\r$\n"
      ${ExitDo}
  ${Loop}
  Call IsAnotherFolder
  ${If} $0 = 1
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${PRODUCT} $InstalledVersion is installed in $InstalledFolder.$\r$\n$\r$\nInstall another copy into $INSTDIR? The copy in $InstalledFolder then stays as it is, with its clips; Apps & features lists only the new copy, and only $InstalledFolder\${UNINSTALLER} removes the other.$\r$\n$\r$\nChoose No to choose the folder again." IDYES anotherCopy
    Abort
    anotherCopy:
  ${EndIf}
FunctionEnd

; Only the program's own files: Save.ini, the clips, the exports and the append file of an earlier
; installation stay as they are.
Section "-${PRODUCT}" SectionProgram
  SetOutPath "$INSTDIR"
  FileOpen $SetupLog "$INSTDIR\${SETUP_LOG}" w
  FileWriteUTF16LE /BOM $SetupLog "$FolderNote"
  !insertmacro Say "Installing ${PRODUCT} ${VERSION} into $INSTDIR"
  Call IsAnotherFolder
  ${If} $0 = 1
    !insertmacro Say "${PRODUCT} $InstalledVersion stays installed in $InstalledFolder with its clips; Apps & features now lists the copy in $INSTDIR, and $InstalledFolder\${UNINSTALLER} removes the other"
  ${EndIf}
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
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${MAKER_PAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "${MAKER_PAGE}"
  ; The invariant locale's calendar is the Gregorian one whatever the user's.
  System::Call 'kernel32::GetDateFormatW(i 0x7F, i 0, p 0, w "yyyyMMdd", w .r0, i ${NSIS_MAX_STRLEN})'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallDate" "$0"
  ; The section's files and the uninstaller written beside them, in KB.
  SectionGetSize ${SectionProgram} $0
  FileOpen $1 "$INSTDIR\${UNINSTALLER}" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $2 $2 + 1023
  IntOp $2 $2 / 1024
  IntOp $0 $0 + $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; The user had the program running and keeps it, whether the setup asks anything or not.
  ${If} $EndedCopy = 1
    Call StartProgram
  ${EndIf}
  FileClose $SetupLog
  StrCpy $SetupLog ""
SectionEnd

; Starts the installed program with the rights of the user who is logged on. The shell starts it,
; not this setup: a setup run as administrator would hand the program its elevated token, with
; which it keeps its settings and Run value under HKEY_LOCAL_MACHINE and gets no tray callbacks.
; Where no shell takes the request (under Wine the desktop ends a moment after its last program), a
; setup with the user's own rights starts it itself, and so does one whose taskbar has administrator
; rights too: the program gets no more than the shell would give it.
Function StartProgram
  !insertmacro Say "Starting ${PRODUCT}"
  Call ShellStartProgram
  ${If} $0 <> 0
    System::Call 'shell32::IsUserAnAdmin() i .r1'
    ${If} $1 = 0
    ${OrIf} $ShellElevated = 1
      Exec '"$INSTDIR\${EXE}"'
    ${Else}
      !insertmacro Say "No shell could start ${PRODUCT} without administrator rights: start it from the Start menu"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Asks the shell's own process to start the program, as a double click in Explorer does: the
; desktop's view (found through IShellWindows) hands out the shell's IShellDispatch2, whose
; ShellExecute runs there. $0 is 0 when the shell took the request.
Function ShellStartProgram
  StrCpy $1 0 ; IShellWindows
  StrCpy $2 0 ; the desktop's IDispatch
  StrCpy $3 0 ; its IServiceProvider
  StrCpy $4 0 ; IShellBrowser
  StrCpy $5 0 ; IShellView
  StrCpy $6 0 ; the view's IDispatch
  StrCpy $7 0 ; IShellFolderViewDual
  StrCpy $8 0 ; the shell's IDispatch
  StrCpy $9 0 ; IShellDispatch2
  ; VARIANTs of 24 bytes: VT_I4 CSIDL_DESKTOP, VT_EMPTY, VT_BSTR of the folder
  System::Call '*(i 3, i 0, i 0, i 0, p 0) p .R2'
  System::Call '*(i 0, i 0, p 0, p 0) p .R3'
  System::Call 'oleaut32::SysAllocString(w "$INSTDIR") p .R5'
  System::Call '*(i 8, i 0, p R5, p 0) p .R4'
  System::Call 'oleaut32::SysAllocString(w "$INSTDIR\${EXE}") p .R6'

  ; CLSCTX_LOCAL_SERVER
  System::Call 'ole32::CoCreateInstance(g "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}", p 0, i 4, g "{85CB6900-4D95-11CF-960C-0080C7F4EE85}", *p .r1) i .r0'
  ${If} $0 = 0
    ; FindWindowSW(SWC_DESKTOP, SWFO_NEEDDISPATCH); S_FALSE when there is no desktop
    System::Call '$1->15(p R2, p R3, i 8, *i .R7, i 1, *p .r2) i .r0'
    ${IfThen} $2 P= 0 ${|} StrCpy $0 1 ${|}
  ${EndIf}
  ${If} $0 = 0
    System::Call '$2->0(g "{6D5140C1-7436-11CE-8034-00AA006009FA}", *p .r3) i .r0'
  ${EndIf}
  ${If} $0 = 0
    ; QueryService(SID_STopLevelBrowser, IID_IShellBrowser)
    System::Call '$3->3(g "{4C96BE40-915C-11CF-99D3-00AA004AE837}", g "{000214E2-0000-0000-C000-000000000046}", *p .r4) i .r0'
  ${EndIf}
  ${If} $0 = 0
    System::Call '$4->15(*p .r5) i .r0' ; QueryActiveShellView
  ${EndIf}
  ${If} $0 = 0
    ; GetItemObject(SVGIO_BACKGROUND, IID_IDispatch)
    System::Call '$5->15(i 0, g "{00020400-0000-0000-C000-000000000046}", *p .r6) i .r0'
  ${EndIf}
  ${If} $0 = 0
    System::Call '$6->0(g "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}", *p .r7) i .r0'
  ${EndIf}
  ${If} $0 = 0
    System::Call '$7->7(*p .r8) i .r0' ; get_Application
  ${EndIf}
  ${If} $0 = 0
    System::Call '$8->0(g "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}", *p .r9) i .r0'
  ${EndIf}
  ${If} $0 = 0
    ; ShellExecute(file, arguments, folder, verb, show): a VARIANT argument goes by its address
    System::Call '$9->31(p R6, p R3, p R4, p R3, p R3) i .r0'
  ${EndIf}

  !macro RELEASE POINTER
    ${If} ${POINTER} P<> 0
      System::Call "${POINTER}->2()"
    ${EndIf}
  !macroend
  !insertmacro RELEASE $9
  !insertmacro RELEASE $8
  !insertmacro RELEASE $7
  !insertmacro RELEASE $6
  !insertmacro RELEASE $5
  !insertmacro RELEASE $4
  !insertmacro RELEASE $3
  !insertmacro RELEASE $2
  !insertmacro RELEASE $1
  System::Call 'oleaut32::SysFreeString(p R5)'
  System::Call 'oleaut32::SysFreeString(p R6)'
  System::Free $R2
  System::Free $R3
  System::Free $R4
FunctionEnd

Function FinishPre
  StrCpy $FinishText "$(MUI_TEXT_FINISH_INFO_TEXT)"
  StrCpy $FinishRunText "Start ${PRODUCT}"
  StrCpy $OtherCopy ""
  ${If} $EndedCopy = 1
    StrCpy $FinishText "${PRODUCT} has been installed on your computer and runs again, with all your clips.$\r$\n$\r$\nClick Finish to close Setup."
    Return
  ${EndIf}
  Call FindRunningCopy
  System::Call 'kernel32::CloseHandle(p R1)'
  ${If} $R0 != ""
  ${AndIf} $R0 != "$INSTDIR\${EXE}"
    StrCpy $OtherCopy $R0
    ${GetParent} $R0 $0
    StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\nA copy of ${PRODUCT} is running from $0, and only one copy runs at a time: the installed one does not start while that one runs.$\r$\n$\r$\nClick Finish to close Setup."
    StrCpy $FinishRunText "End that copy and start this one"
  ${EndIf}
FunctionEnd

; Moves a control of the page to a place in dialog units, as the page places its own.
!macro PLACE CONTROL X Y WIDTH HEIGHT
  System::Call '*(i ${X}, i ${Y}, i ${WIDTH}, i ${HEIGHT}) p .r0'
  System::Call 'user32::MapDialogRect(p $HWNDPARENT, p r0)'
  System::Call '*$0(i .r1, i .r2, i .r3, i .r4)'
  System::Free $0
  System::Call 'user32::SetWindowPos(p ${CONTROL}, p 0, i r1, i r2, i r3, i r4, i 0x14)' ; SWP_NOZORDER|SWP_NOACTIVATE
!macroend

; The program runs again already: there is nothing to start. The text about a copy in another folder
; is longer than the room above the checkbox: it takes the page down to the checkbox at its foot.
Function FinishShow
  ${If} $EndedCopy = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${ElseIf} $OtherCopy != ""
    !insertmacro PLACE $mui.FinishPage.Text 120 45 195 125
    !insertmacro PLACE $mui.FinishPage.Run 120 175 195 10
  ${EndIf}
FunctionEnd

Function FinishRun
  ${If} $OtherCopy != ""
    Call FindRunningCopy
    ${If} $R0 == $OtherCopy
      ExecWait '"$OtherCopy" -exit'
      System::Call 'kernel32::WaitForSingleObject(p R1, i 15000)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
  Call StartProgram
FunctionEnd

Function un.onInit
  !insertmacro NOT_ELEVATED uninstall
  !insertmacro ONLY_ONE_SETUP_AT_A_TIME
FunctionEnd

; The program's files, shortcuts, uninstall entry and registry data go; the clips are the user's
; and stay unless the user asks otherwise. The diagnostic log goes with the program. Whatever else
; is in the folder stays, and the details say what.
Section "Uninstall"
  Call un.EndRunningCopy

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Delete your clips too?$\r$\n$\r$\nYour recent clips, favourites, projects, exports and append file in $INSTDIR are kept unless you choose Yes. Files that ${PRODUCT} did not make stay either way." \
    /SD IDNO IDNO keepClips
    Call un.DeleteClips
  keepClips:

  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\Manual.doc"
  Delete "$INSTDIR\Manual.html"
  Delete "$INSTDIR\Clip.log"
  ; The system deletes it when the program ends, killed or not; a power cut may leave it.
  Delete "$INSTDIR\Quorvex.lock"
  Delete "$INSTDIR\${SETUP_LOG}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only empty folders go: whatever is left in them is the user's.
  RMDir "$INSTDIR\RECENT"
  RMDir "$INSTDIR\FAVORITE"
  RMDir "$INSTDIR\EXPORT"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*"
    Push "$INSTDIR"
    Call un.TellWhatStays
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT} Manual.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  Call un.RemoveRegistryData
SectionEnd

; The clips as the program names them: recent clips, the favourites of projects A to Z, the
; program's exports (a folder under EXPORT with an Export.ini), Save.ini and the append file, with
; the copies a write in progress makes. A file of another name stays, and with it its folder.
Function un.DeleteClips
  Delete "$INSTDIR\Save.ini"
  Delete "$INSTDIR\Save.TMP"
  Delete "$INSTDIR\Save~*.TMP"
  Delete "$INSTDIR\ClipAppends.txt"
  Delete "$INSTDIR\ClipAppends.TMP"
  Delete "$INSTDIR\RECENT\RECCLIP.TMP"
  Delete "$INSTDIR\RECENT\RECCLIP.OLD"
  ${For} $1 1 10
    Delete "$INSTDIR\RECENT\RECCLIP$1.DAT"
    Delete "$INSTDIR\RECENT\RECCLIP$1.TMP"
  ${Next}
  ${For} $0 0 25
    StrCpy $2 "ABCDEFGHIJKLMNOPQRSTUVWXYZ" 1 $0
    ${For} $1 1 10
      Delete "$INSTDIR\FAVORITE\$2CLIPB$1.DAT"
      Delete "$INSTDIR\FAVORITE\$2CLIPB$1.TMP"
    ${Next}
  ${Next}
  FindFirst $0 $3 "$INSTDIR\EXPORT\*"
  ${DoWhile} $3 != ""
    ${If} $3 != "."
    ${AndIf} $3 != ".."
    ${AndIf} ${FileExists} "$INSTDIR\EXPORT\$3\Export.ini"
      Delete "$INSTDIR\EXPORT\$3\Export.ini"
      Delete "$INSTDIR\EXPORT\$3\Export.TMP"
      Delete "$INSTDIR\EXPORT\$3\Export~*.TMP"
      ${For} $1 1 10
        Delete "$INSTDIR\EXPORT\$3\CLIPB$1.DAT"
      ${Next}
      RMDir "$INSTDIR\EXPORT\$3"
    ${EndIf}
    FindNext $0 $3
  ${Loop}
  FindClose $0
FunctionEnd

; Names in the details each file and folder that stays under the folder on the stack.
Function un.TellWhatStays
  Exch $R0
  Push $0
  Push $1
  FindFirst $0 $1 "$R0\*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
      ${If} ${FileExists} "$R0\$1\*"
        DetailPrint "Kept: $R0\$1\"
        Push "$R0\$1"
        Call un.TellWhatStays
      ${Else}
        DetailPrint "Kept: $R0\$1"
      ${EndIf}
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  Pop $1
  Pop $0
  Pop $R0
FunctionEnd

; The Run values that start this installation go. The settings are shared by every copy of the
; program on this account: they go only when no other copy uses them, none running from another
; folder and none named by a Run value. The program keeps them under HKLM where it may write
; there, else under HKCU; HKLM's go only with a Run value there that started this installation.
Function un.RemoveRegistryData
  Call un.FindRunningCopy
  System::Call 'kernel32::CloseHandle(p R1)'
  ${IfThen} $R0 == "$INSTDIR\${EXE}" ${|} StrCpy $R0 "" ${|}
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCpy $2 0
  ${If} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    StrCpy $0 ""
    StrCpy $2 1
  ${EndIf}
  ${If} $1 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    StrCpy $1 ""
  ${EndIf}
  ${IfThen} $R0 == "" ${|} StrCpy $R0 $1 ${|}
  ${IfThen} $R0 == "" ${|} StrCpy $R0 $0 ${|}
  ${If} $R0 == ""
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${If} $2 = 1
      DeleteRegKey HKLM "${SETTINGS_KEY}"
    ${EndIf}
  ${Else}
    DetailPrint "Kept: the settings under ${SETTINGS_KEY}, which another copy of ${PRODUCT} uses: $R0"
  ${EndIf}
FunctionEnd
