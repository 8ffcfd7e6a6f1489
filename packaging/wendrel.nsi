; The Windows setup for players: per user, no administrator prompt.
; makensis -DVERSION=x.y -DSTAGE=<folder with the files> -DASSETS=<assets> -DOUTFILE=<setup.exe>
;          -DPUBLISHER=... -DSETTINGS_KEY=... -DTRAY_CLASS=... -DRUN_VALUE=... wendrel.nsi
; (scripts/make-dist.sh passes the names CMake holds, from build/windows/names.sh)
Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wendrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Wendrel ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Wendrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Wendrel ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Wendrel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Wendrel ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ASSETS}\wendrel.ico"
!define MUI_UNICON "${ASSETS}\wendrel.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Wendrel now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartWendrel

!define MUI_WELCOMEPAGE_TEXT "This will install Wendrel ${VERSION}, which watches the Quellan lobby and raises an alarm when enough players are online for Zalmo.$\r$\n$\r$\nNo administrator rights are needed: Wendrel is installed for you alone.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE OptionsPre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OptionsShow
!define MUI_PAGE_HEADER_TEXT "Choose Options"
!define MUI_PAGE_HEADER_SUBTEXT "Choose how Wendrel starts."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Install:"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Wendrel lives in the notification area. It can start each time you log on to Windows; you can change this later in its Options."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var wasRunning

; Whether Wendrel is gone: $2 is 1 when no Wendrel window is left and the
; installed wendrel.exe, if there is one, can be opened for writing (a
; running program's exe cannot); else 0, and $3 says what is in the way.
!macro WENDREL_GONE prefix
Function ${prefix}WendrelGone
    StrCpy $2 0
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 <> 0
        StrCpy $3 "Wendrel is still running: it did not close when asked."
        Return
    ${EndIf}
    StrCpy $2 1
    ${IfNot} ${FileExists} "$INSTDIR\wendrel.exe"
        Return
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\wendrel.exe" a
    ${If} ${Errors}
        StrCpy $2 0
        StrCpy $3 "$INSTDIR\wendrel.exe is in use: a Wendrel is still running."
    ${Else}
        FileClose $0
    ${EndIf}
FunctionEnd
!macroend

; Ends a running Wendrel as taskkill without /f does: a close request posted
; to its window, which it answers as it answers Exit. Waits up to 10 s for it
; to go (/CLOSEWAIT=SECONDS: another wait, for the tests of a hung copy).
; One that stays is reported: the user may end it and retry, or cancel, which
; ends the setup (with /S: exit code 2) before it changed anything.
!macro CLOSE_WENDREL prefix
!insertmacro WENDREL_GONE "${prefix}"
Function ${prefix}CloseWendrel
    StrCpy $wasRunning 0
    ${GetParameters} $4
    ClearErrors
    ${GetOptions} $4 "/CLOSEWAIT=" $4
    ${If} ${Errors}
        StrCpy $4 10
    ${EndIf}
    IntOp $4 $4 * 5
    ${Do}
        FindWindow $0 "${TRAY_CLASS}"
        ${If} $0 <> 0
            StrCpy $wasRunning 1
            System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
        ${EndIf}
        StrCpy $1 0
        ${Do}
            Call ${prefix}WendrelGone
            ${If} $2 = 1
                Return
            ${EndIf}
            Sleep 200
            IntOp $1 $1 + 1
        ${LoopUntil} $1 >= $4
        DetailPrint $3
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$3$\r$\n$\r$\nEnd it (with Task Manager if it does not answer), then choose Retry. Cancel leaves the installed Wendrel as it is." /SD IDCANCEL IDRETRY +2
        Abort "Nothing was changed."
    ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_WENDREL ""
!insertmacro CLOSE_WENDREL "un."

; A file that cannot be written or removed ends the setup, unless the user
; makes it free and retries: it is never skipped. $0 names the file. A
; Wendrel the setup closed runs again when the setup ends here.
!macro FILE_FAILED prefix verb ended
Function ${prefix}FileFailed
    DetailPrint "Could not ${verb} $0."
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Could not ${verb} $0.$\r$\n$\r$\nClose any program that has it open, then choose Retry." /SD IDCANCEL IDCANCEL +2
        Return
    !if "${prefix}" == ""
        ${If} $wasRunning = 1
            Call StartWendrel
        ${EndIf}
    !endif
    Abort "${ended}"
FunctionEnd
!macroend
!insertmacro FILE_FAILED "" "write" "The setup ended before it was done: run it again."
!insertmacro FILE_FAILED "un." "remove" "Wendrel is partly removed: run its uninstaller again."

; Runs command, which sets the error flag when it fails, until it works:
; again for 2 s (a file may be held a moment, by a virus scanner or an
; uninstaller that is ending), then as the user says.
!macro OR_RETRY prefix command path
    StrCpy $1 0
    ${Do}
        ClearErrors
        ${command}
        ${IfNot} ${Errors}
            ${ExitDo}
        ${EndIf}
        IntOp $1 $1 + 1
        ${If} $1 < 10
            Sleep 200
        ${Else}
            StrCpy $0 "${path}"
            Call ${prefix}FileFailed
            StrCpy $1 0
        ${EndIf}
    ${Loop}
!macroend
!macro INSTALL_FILE name
    !insertmacro OR_RETRY "" 'File "${STAGE}\${name}"' "$INSTDIR\${name}"
!macroend
!macro REMOVE_FILE path
    !insertmacro OR_RETRY "un." 'Delete "${path}"' "${path}"
!macroend

; Who the Run value starts: $R4 is "this" (this installation's wendrel.exe,
; quoted as the program and the setup write it), "other" or "none"; $R0 is
; the value.
!macro RUN_VALUE_OWNER prefix
Function ${prefix}RunValueOwner
    StrCpy $R4 none
    ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $R0 == ""
        Return
    ${EndIf}
    StrCpy $R4 other
    StrCpy $R1 '"$INSTDIR\wendrel.exe"'
    StrLen $R2 $R1
    StrCpy $R3 $R0 $R2
    ${If} $R3 == $R1
        StrCpy $R4 this
    ${EndIf}
FunctionEnd
!macroend
!insertmacro RUN_VALUE_OWNER ""
!insertmacro RUN_VALUE_OWNER "un."

; The command "Start Wendrel with Windows" runs: the one under the Run key
; when it starts this copy (it keeps the options given there), else the
; program itself, as the Options dialog of a Wendrel started without options
; would write it.
Function StartCommand
    Call RunValueOwner
    ${If} $R4 == this
        StrCpy $R1 $R0
    ${Else}
        StrCpy $R1 '"$INSTDIR\wendrel.exe"'
    ${EndIf}
FunctionEnd

Function StartWendrel
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 = 0
        Call StartCommand
        Exec $R1
    ${EndIf}
FunctionEnd

; Whether folder $R0 may take Wendrel's files: $R1 is 1 when it does not
; exist, is empty, or holds a Wendrel that the setup installed (the one the
; uninstall entry names, even partly removed, or another); else 0.
Function FolderIsFree
    StrCpy $R1 1
    ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R2 == $R0
        Return
    ${EndIf}
    ${If} ${FileExists} "$R0\uninstall.exe"
    ${AndIf} ${FileExists} "$R0\wendrel.exe"
        Return
    ${EndIf}
    ClearErrors
    FindFirst $R2 $R3 "$R0\*"
    ${DoUntil} ${Errors}
        ${If} $R3 != "."
        ${AndIf} $R3 != ".."
            StrCpy $R1 0
            ${ExitDo}
        ${EndIf}
        FindNext $R2 $R3
    ${Loop}
    FindClose $R2
FunctionEnd

; Wendrel goes into a folder of its own: the chosen one ($INSTDIR, kept in
; $R0) when it is free, else a "Wendrel" folder inside it. $R1 is 0 when
; that holds other files too.
Function OwnFolder
    StrCpy $R0 $INSTDIR
    Call FolderIsFree
    ${If} $R1 = 0
        StrCpy $INSTDIR "$R0\Wendrel"
        Push $R0
        StrCpy $R0 $INSTDIR
        Call FolderIsFree
        Pop $R0
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    Call OwnFolder
    ${If} $R1 = 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "$R0 and $INSTDIR already hold other files.$\r$\n$\r$\nChoose an empty folder for Wendrel."
        StrCpy $INSTDIR $R0
        Abort
    ${ElseIf} $INSTDIR != $R0
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$R0 already holds other files, which the setup leaves alone. Wendrel will be installed in a folder of its own:$\r$\n$\r$\n$INSTDIR" IDOK +3
        StrCpy $INSTDIR $R0
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    SetShellVarContext current
FunctionEnd

Section "Wendrel" SecProgram
    SectionIn RO
    ; For /D=, which the folder page does not check.
    Call OwnFolder
    ${If} $R1 = 0
        Abort "$R0 and $INSTDIR already hold other files: choose an empty folder for Wendrel."
    ${EndIf}
    Call CloseWendrel
    !insertmacro OR_RETRY "" 'SetOutPath "$INSTDIR"' "$INSTDIR"
    SetOverwrite try
    ; The program last: a setup that ends early leaves the old one whole.
    !insertmacro INSTALL_FILE Flyover.wav
    !insertmacro INSTALL_FILE README.txt
    !insertmacro INSTALL_FILE LICENSE.txt
    !insertmacro INSTALL_FILE wendrel.exe
    !insertmacro OR_RETRY "" 'WriteUninstaller "$INSTDIR\uninstall.exe"' "$INSTDIR\uninstall.exe"
    !insertmacro OR_RETRY "" 'CreateShortCut "$SMPROGRAMS\Wendrel.lnk" "$INSTDIR\wendrel.exe" "" "$INSTDIR\wendrel.exe" 0' \
        "$SMPROGRAMS\Wendrel.lnk"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Wendrel"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\wendrel.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Wendrel with Windows" SecRun
    ; With /S, another copy's start with Windows stays; in the window, the
    ; box decides (it starts unticked then).
    Call RunValueOwner
    ${If} $R4 != other
    ${OrIfNot} ${Silent}
        Call StartCommand
        WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" $R1
    ${EndIf}
SectionEnd

Section "-After"
    ${IfNot} ${SectionIsSelected} ${SecRun}
        Call RunValueOwner
        ${If} $R4 == this
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
        ${EndIf}
    ${EndIf}
    ; A Wendrel that was running before runs again.
    ${If} $wasRunning = 1
        Call StartWendrel
    ${EndIf}
SectionEnd

; Another copy's start with Windows (a portable one, say) is kept unless the
; user ticks the box: it starts unticked then, and the page says why.
Function OptionsPre
    Call RunValueOwner
    ${If} $R4 == other
        !insertmacro UnselectSection ${SecRun}
    ${EndIf}
FunctionEnd

Function OptionsShow
    ${If} $R4 == other
        SendMessage $mui.ComponentsPage.Text ${WM_SETTEXT} 0 "STR:Another copy of Wendrel starts with Windows; it goes on doing so unless you tick the box to start this one instead. It starts with:$\r$\n$R0"
    ${EndIf}
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "Uninstall"
    Call un.CloseWendrel
    StrCpy $R6 0
    MessageBox MB_YESNO|MB_ICONQUESTION "Remove your Wendrel settings and player history too?$\r$\n$\r$\nThey are kept for a later install if you choose No." /SD IDNO IDNO +2
        StrCpy $R6 1
    ; The uninstaller and its entry go last: a file that stays and ends the
    ; uninstall here leaves them for another go.
    !insertmacro REMOVE_FILE "$INSTDIR\wendrel.exe"
    !insertmacro REMOVE_FILE "$INSTDIR\Flyover.wav"
    !insertmacro REMOVE_FILE "$INSTDIR\README.txt"
    !insertmacro REMOVE_FILE "$INSTDIR\LICENSE.txt"
    !insertmacro REMOVE_FILE "$SMPROGRAMS\Wendrel.lnk"
    ${If} $R6 = 1
        !insertmacro REMOVE_FILE "$LOCALAPPDATA\Wendrel\history.csv"
        !insertmacro REMOVE_FILE "$LOCALAPPDATA\Wendrel\history.csv.tmp"
        RMDir "$LOCALAPPDATA\Wendrel"
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        ${un.GetParent} "${SETTINGS_KEY}" $0 ; the publisher's key, when nothing else is in it
        DeleteRegKey /ifempty HKCU $0
    ${EndIf}
    ; Run in place (_?=), the uninstaller cannot remove itself: its caller does.
    ${If} $EXEPATH != "$INSTDIR\uninstall.exe"
        !insertmacro REMOVE_FILE "$INSTDIR\uninstall.exe"
    ${EndIf}
    RMDir "$INSTDIR" ; only when empty: what the user put there stays
    Call un.RunValueOwner
    ${If} $R4 == this
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
