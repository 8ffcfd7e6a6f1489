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
!insertmacro MUI_PAGE_DIRECTORY
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

; Ends a running Wendrel as taskkill without /f does: a close request to its
; window, which it answers as it answers Exit. Waits up to 10 s for it to go.
!macro CLOSE_WENDREL prefix
Function ${prefix}CloseWendrel
    StrCpy $wasRunning 0
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 = 0
        Return
    ${EndIf}
    StrCpy $wasRunning 1
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $1 0
    ${Do}
        FindWindow $0 "${TRAY_CLASS}"
        ${If} $0 = 0
        ${OrIf} $1 >= 50
            ${ExitDo}
        ${EndIf}
        Sleep 200
        IntOp $1 $1 + 1
    ${Loop}
    Sleep 500 ; the process ends just after its window
FunctionEnd
!macroend
!insertmacro CLOSE_WENDREL ""
!insertmacro CLOSE_WENDREL "un."

; The command "Start Wendrel with Windows" runs: the one under the Run key
; when it starts this copy (it keeps the options given there), else the
; program itself, as the Options dialog of a Wendrel started without options
; would write it.
Function StartCommand
    StrCpy $R1 '"$INSTDIR\wendrel.exe"'
    ReadRegStr $R0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    StrLen $R2 $R1
    StrCpy $R3 $R0 $R2
    ${If} $R3 == $R1
        StrCpy $R1 $R0
    ${EndIf}
FunctionEnd

Function StartWendrel
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 = 0
        Call StartCommand
        Exec $R1
    ${EndIf}
FunctionEnd

Function .onInit
    SetShellVarContext current
FunctionEnd

Section "Wendrel" SecProgram
    SectionIn RO
    Call CloseWendrel
    SetOutPath "$INSTDIR"
    File "${STAGE}\wendrel.exe"
    File "${STAGE}\Flyover.wav"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Wendrel.lnk" "$INSTDIR\wendrel.exe" "" "$INSTDIR\wendrel.exe" 0

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
    Call StartCommand
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" $R1
SectionEnd

Section "-After"
    ${IfNot} ${SectionIsSelected} ${SecRun}
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
    ; A Wendrel that was running before runs again.
    ${If} $wasRunning = 1
        Call StartWendrel
    ${EndIf}
SectionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "Uninstall"
    Call un.CloseWendrel
    Delete "$INSTDIR\wendrel.exe"
    Delete "$INSTDIR\Flyover.wav"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Wendrel.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    MessageBox MB_YESNO|MB_ICONQUESTION "Remove your Wendrel settings and player history too?$\r$\n$\r$\nThey are kept for a later install if you choose No." /SD IDNO IDNO keep
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        ${un.GetParent} "${SETTINGS_KEY}" $0 ; the publisher's key, when nothing else is in it
        DeleteRegKey /ifempty HKCU $0
        Delete "$LOCALAPPDATA\Wendrel\history.csv"
        Delete "$LOCALAPPDATA\Wendrel\history.csv.tmp"
        RMDir "$LOCALAPPDATA\Wendrel"
    keep:
SectionEnd
