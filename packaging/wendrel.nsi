; The Windows setup for players: per user, no administrator prompt.
; makensis -DVERSION=x.y -DSTAGE=<folder with the files> -DASSETS=<assets> -DOUTFILE=<setup.exe>
;          -DPUBLISHER=... -DSETTINGS_KEY=... -DTRAY_CLASS=... -DRUN_VALUE=...
;          -DTEXTS=<the texts, from scripts/po-compile.py --nsis> wendrel.nsi
; (scripts/make-dist.sh passes the names CMake holds, from build/windows/names.sh)
; It speaks Windows' display language when po/ has it (de-AT as German: the
; setup builder falls back to the primary language), else English.
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
!define MUI_FINISHPAGE_RUN_TEXT "$(Setup.StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartWendrel

!define MUI_WELCOMEPAGE_TEXT "$(Setup.Welcome)"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE OptionsPre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OptionsShow
!define MUI_PAGE_HEADER_TEXT "$(Setup.OptionsTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(Setup.OptionsSubtitle)"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "$(Setup.OptionsList)"
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(Setup.OptionsText)"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The texts come from po/ (Setup.* and Uninstall.*), with numbered values
; {1}, {2} for a translator to place: here is what each value is.
!define Setup.Welcome.1 "${VERSION}"
!define Setup.OtherCopyStarts.1 "$R0"
!define Setup.OwnFolder.1 "$R0"
!define Setup.OwnFolder.2 "$INSTDIR"
!define Setup.FoldersNotEmpty.1 "$R0"
!define Setup.FoldersNotEmpty.2 "$INSTDIR"
!define Setup.FoldersNotEmptyEnded.1 "$R0"
!define Setup.FoldersNotEmptyEnded.2 "$INSTDIR"
!define Setup.ExeInUse.1 "$INSTDIR\wendrel.exe"
!define Setup.EndItThenRetry.1 "$3"
!define Setup.CouldNotWrite.1 "$0"
!define Setup.CloseItThenRetry.1 "$3"
!define Uninstall.CouldNotRemove.1 "$0"
!define Uninstall.HistoryStayed.1 "$R7"
!include /CHARSET=UTF8 "${TEXTS}"

Var wasRunning

; Whether Wendrel is gone: $2 is 1 when no Wendrel window is left and the
; installed wendrel.exe, if there is one, can be opened for writing (a
; running program's exe cannot); else 0, and $3 says what is in the way.
!macro WENDREL_GONE prefix
Function ${prefix}WendrelGone
    StrCpy $2 0
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 <> 0
        StrCpy $3 "$(Setup.StillRunning)"
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
        StrCpy $3 "$(Setup.ExeInUse)"
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
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(Setup.EndItThenRetry)" /SD IDCANCEL IDRETRY +2
        Abort "$(Setup.NothingChanged)"
    ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_WENDREL ""
!insertmacro CLOSE_WENDREL "un."

; A file that cannot be written or removed ends the setup, unless the user
; makes it free and retries: it is never skipped. $0 names the file; $1 is
; 0 for a retry. A Wendrel the setup closed runs again when the setup ends
; here.
!macro FILE_FAILED prefix failed ended
Function ${prefix}FileFailed
    StrCpy $3 "$(${failed})"
    DetailPrint $3
    StrCpy $1 0
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$(Setup.CloseItThenRetry)" /SD IDCANCEL IDCANCEL +2
        Return
    !if "${prefix}" == ""
        ${If} $wasRunning = 1
            Call StartWendrel
        ${EndIf}
    !endif
    Abort "$(${ended})"
FunctionEnd
!macroend
!insertmacro FILE_FAILED "" Setup.CouldNotWrite Setup.Ended
!insertmacro FILE_FAILED "un." Uninstall.CouldNotRemove Uninstall.PartlyRemoved

; Runs command, which sets the error flag when it fails, until it works:
; again for 2 s (a file may be held a moment, by a virus scanner or an
; uninstaller that is ending), then as function failed says: called with $0
; = path, it ends the setup, or sets $1 to 0 for another 2 s or to -1 to go
; on without it.
!macro OR_RETRY command path failed
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
            Call ${failed}
        ${EndIf}
    ${LoopUntil} $1 < 0
!macroend
!macro INSTALL_FILE name
    !insertmacro OR_RETRY 'File "${STAGE}\${name}"' "$INSTDIR\${name}" FileFailed
!macroend
!macro REMOVE_FILE path
    !insertmacro OR_RETRY 'Delete "${path}"' "${path}" un.FileFailed
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
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(Setup.FoldersNotEmpty)"
        StrCpy $INSTDIR $R0
        Abort
    ${ElseIf} $INSTDIR != $R0
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(Setup.OwnFolder)" IDOK +3
        StrCpy $INSTDIR $R0
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    SetShellVarContext current
FunctionEnd

Section "$(Setup.ProgramBox)" SecProgram
    SectionIn RO
    ; For /D=, which the folder page does not check.
    Call OwnFolder
    ${If} $R1 = 0
        Abort "$(Setup.FoldersNotEmptyEnded)"
    ${EndIf}
    Call CloseWendrel
    !insertmacro OR_RETRY 'SetOutPath "$INSTDIR"' "$INSTDIR" FileFailed
    SetOverwrite try
    ; The program last: a setup that ends early leaves the old one whole.
    !insertmacro INSTALL_FILE Flyover.wav
    !insertmacro INSTALL_FILE README.txt
    !insertmacro INSTALL_FILE LICENSE.txt
    !insertmacro INSTALL_FILE wendrel.exe
    !insertmacro OR_RETRY 'WriteUninstaller "$INSTDIR\uninstall.exe"' "$INSTDIR\uninstall.exe" FileFailed
    !insertmacro OR_RETRY 'CreateShortCut "$SMPROGRAMS\Wendrel.lnk" "$INSTDIR\wendrel.exe" "" "$INSTDIR\wendrel.exe" 0' \
        "$SMPROGRAMS\Wendrel.lnk" FileFailed

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

Section "$(Setup.StartWithWindowsBox)" SecRun
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
        SendMessage $mui.ComponentsPage.Text ${WM_SETTEXT} 0 "STR:$(Setup.OtherCopyStarts)"
    ${EndIf}
FunctionEnd

; The player history's folder. The program writes history.csv, its backup
; .bak, the lines it cannot read to .bad, and the .tmp scratch copy that a
; replace writes first; anything else in the folder is the player's.
!define HISTORY_FOLDER "$LOCALAPPDATA\Wendrel"
!macro REMOVE_HISTORY_FILE name
    !insertmacro OR_RETRY 'Delete "${HISTORY_FOLDER}\${name}"' "${HISTORY_FOLDER}\${name}" un.HistoryFileStayed
!macroend

; A history file $0 that is still there after 2 s: listed in $R7, a path a
; line, and the uninstall goes on with the next.
Function un.HistoryFileStayed
    DetailPrint "$(Uninstall.CouldNotRemove)"
    ${If} $R7 == ""
        StrCpy $R7 $0
    ${Else}
        StrCpy $R7 "$R7$\r$\n$0"
    ${EndIf}
    StrCpy $1 -1
FunctionEnd

; Removes the history's files, and the folder when nothing else is in it.
; Files another program holds open are named together: the user may free
; them and retry, or cancel, which ends the uninstall (with /S: exit code 2)
; and leaves Wendrel listed, as a program file does.
Function un.RemoveHistory
    ${Do}
        StrCpy $R7 ""
        !insertmacro REMOVE_HISTORY_FILE history.csv
        !insertmacro REMOVE_HISTORY_FILE history.csv.tmp
        !insertmacro REMOVE_HISTORY_FILE history.csv.bak
        !insertmacro REMOVE_HISTORY_FILE history.csv.bak.tmp
        !insertmacro REMOVE_HISTORY_FILE history.csv.bad
        RMDir "${HISTORY_FOLDER}"
        ${If} $R7 == ""
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$(Uninstall.HistoryStayed)" /SD IDCANCEL IDRETRY +2
            Abort "$(Uninstall.PartlyRemoved)"
    ${Loop}
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "Uninstall"
    Call un.CloseWendrel
    StrCpy $R6 0
    MessageBox MB_YESNO|MB_ICONQUESTION "$(Uninstall.RemoveSettings)" /SD IDNO IDNO +2
        StrCpy $R6 1
    ; The uninstaller and its entry go last: a file that stays and ends the
    ; uninstall here leaves them for another go.
    !insertmacro REMOVE_FILE "$INSTDIR\wendrel.exe"
    !insertmacro REMOVE_FILE "$INSTDIR\Flyover.wav"
    !insertmacro REMOVE_FILE "$INSTDIR\README.txt"
    !insertmacro REMOVE_FILE "$INSTDIR\LICENSE.txt"
    !insertmacro REMOVE_FILE "$SMPROGRAMS\Wendrel.lnk"
    ${If} $R6 = 1
        Call un.RemoveHistory
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
