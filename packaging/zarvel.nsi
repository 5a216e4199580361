; Zarvel's Windows installer, for one user and without administrator
; rights: the program in %LOCALAPPDATA%\Programs\Zarvel, a Start-menu
; entry and an uninstaller registered for the user. scripts/package runs
;
;   makensis -DVERSION=<version> -DPROGRAM=<folder> -DOUTFILE=<setup.exe> zarvel.nsi
;
; with the folder scripts/windows-build makes. Both the installer and the
; uninstaller take /S. Neither ever touches %APPDATA%\Zarvel, where the
; user's buttons.json and its backups live: a running Zarvel is closed
; first, and it writes that file atomically, so closing it loses nothing.
Unicode true
Target amd64-unicode
; LZMA makes the smallest installer; the test command asks for zlib, which
; takes a sixth of the time.
!ifndef COMPRESSOR
    !define COMPRESSOR "/SOLID lzma"
!endif
SetCompressor ${COMPRESSOR}
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvel"
!define UNINSTALLER "Uninstall Zarvel.exe"

Name "Zarvel"
Caption "Zarvel ${VERSION} Setup"
OutFile "${OUTFILE}"
Icon "${__FILEDIR__}/../res/zarvel-logo.ico"
UninstallIcon "${__FILEDIR__}/../res/zarvel-logo.ico"
InstallDir "$LOCALAPPDATA\Programs\Zarvel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Closes every Zarvel of this user and waits until its program file is
; free; $R9 is 1 when one ran, so that the installer starts the new one.
!macro CLOSE_ZARVEL un
Function ${un}CloseZarvel
    StrCpy $R9 0
    nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM Zarvel.exe'
    Pop $0
    ${If} $0 == 0
        StrCpy $R9 1
    ${EndIf}
    StrCpy $1 0
    ${DoWhile} ${FileExists} "$INSTDIR\Zarvel.exe"
        ClearErrors
        FileOpen $2 "$INSTDIR\Zarvel.exe" a
        ${IfNot} ${Errors}
            FileClose $2
            ${Break}
        ${EndIf}
        IntOp $1 $1 + 1
        ${If} $1 > 100
            ${Break}
        ${EndIf}
        Sleep 100
    ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_ZARVEL ""
!insertmacro CLOSE_ZARVEL "un."

; The uninstaller removes the install folder whole, so it has to be
; Zarvel's own: new or empty, or one that an earlier install made, and
; never one holding a buttons file. $0: why it cannot be, or empty.
Function CheckInstDir
    StrCpy $0 ""
    ${If} ${FileExists} "$INSTDIR\buttons.json"
        StrCpy $0 "$INSTDIR holds a buttons.json: choose a folder of Zarvel's own."
    ${ElseIfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
        FindFirst $1 $2 "$INSTDIR\*"
        ${Do}
            ${If} $2 == ""
                ${Break}
            ${ElseIf} $2 != "."
            ${AndIf} $2 != ".."
                StrCpy $0 "$INSTDIR is not empty: choose a new or an empty folder for Zarvel."
                ${Break}
            ${EndIf}
            FindNext $1 $2
        ${Loop}
        FindClose $1
    ${EndIf}
FunctionEnd

Function .onVerifyInstDir
    Call CheckInstDir
    ${If} $0 != ""
        Abort
    ${EndIf}
FunctionEnd

Section
    SetShellVarContext current
    Call CheckInstDir
    ${If} $0 != ""
        MessageBox MB_ICONSTOP "$0" /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    Call CloseZarvel
    ; An earlier version's files go first, so that none it no longer
    ; needs stays behind.
    ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
        RMDir /r "$INSTDIR"
    ${EndIf}
    SetOutPath "$INSTDIR"
    File /r "${PROGRAM}/*"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    ; Started in its folder, where Zarvel finds its licence texts.
    CreateShortCut "$SMPROGRAMS\Zarvel.lnk" "$INSTDIR\Zarvel.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zarvel"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Zarvel developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zarvel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The Zarvel this install closed comes back, now the new one.
    ${If} $R9 == 1
        Exec '"$INSTDIR\Zarvel.exe"'
    ${EndIf}
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.CloseZarvel
    Delete "$SMPROGRAMS\Zarvel.lnk"
    ; The login entry Zarvel made for itself, named after its program.
    Delete "$SMSTARTUP\Zarvel.lnk"
    RMDir /r "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
