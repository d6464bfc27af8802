; Kestrune's setup program. It is itself a 32-bit program, so one file serves every Windows: it
; installs the 64-bit edition on 64-bit Windows and the 32-bit edition elsewhere. It installs for
; the current user by default, with no administrator prompt; chosen on its first page, or with
; /ALLUSERS, for all users under Program Files, asking for administrator rights.
;
; Made by packaging/windows/make-setup.sh, which gives VERSION, VERSION_4 (four numbers),
; PROGRAM64, PROGRAM32, ICON, OUTFILE and LANGUAGES: the include that i18n/make_setup_strings.py
; makes from the catalogue, with NSIS's own language files and our texts (setup_texts.list) as
; LangStrings. The setup speaks the language of the Windows interface where it has it (NSIS
; chooses it before .onInit), else English; it asks no question.
;
; Command line (the uninstaller takes /S alone):
;   /S          silent: no page, no question
;   /ALLUSERS   for all users, under Program Files
;   /DESKTOP    a desktop shortcut too
;   /D=folder   the install folder; last, without quotes
; Exit codes:
!define EXIT_CANCELLED 1  ; the player cancelled
!define EXIT_FAILED 2     ; the program could not be written, or removed
!define EXIT_RUNNING 3    ; silent mode, and the installed Kestrune is running: nothing was changed
!define EXIT_NOT_ADMIN 4  ; all users asked, and administrator rights were refused

Unicode true
SetCompressor /SOLID /FINAL lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PUBLISHER "The Kestrune developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune"

Name "Kestrune"
OutFile "${OUTFILE}"
BrandingText "Kestrune ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

Var AllUsers         ; 1: for all users, under Program Files
Var ModeGiven        ; 1: /ALLUSERS was given, the page does not change it
Var FolderGiven      ; 1: /D= named the folder
Var DesktopShortcut  ; 1: a desktop shortcut too
Var ModeMe
Var ModeAll
Var DesktopBox
Var RemoveSettings   ; 1: the uninstaller removes the player's settings too
Var RemoveSettingsBox
Var UserSettings     ; the player's settings folder

Page custom OptionsPage OptionsPageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\kestrune.exe"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!include "${LANGUAGES}"

VIProductVersion "${VERSION_4}"
VIFileVersion "${VERSION_4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Kestrune"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Installs and removes Kestrune"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${PUBLISHER}"

; Starts this program again with administrator rights and PARAMETERS, waits for it and ends with
; its exit code; where the rights are refused, ends with EXIT_NOT_ADMIN.
!macro RunElevated PARAMETERS
  ; SHELLEXECUTEINFOW: cbSize 60, SEE_MASK_NOCLOSEPROCESS, the "runas" verb, SW_SHOWNORMAL.
  System::Call '*(i 60, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w "${PARAMETERS}", p 0, i 1, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r8'
  System::Call 'shell32::ShellExecuteExW(p r8) i .r9'
  ${If} $9 = 0
    System::Free $8
    MessageBox MB_ICONSTOP "$(NeedsAdministrator)" /SD IDOK
    SetErrorLevel ${EXIT_NOT_ADMIN}
    Quit
  ${EndIf}
  System::Call '*$8(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r9)'
  System::Free $8
  System::Call 'kernel32::WaitForSingleObject(p r9, i -1)'
  System::Call 'kernel32::GetExitCodeProcess(p r9, *i .r8)'
  System::Call 'kernel32::CloseHandle(p r9)'
  SetErrorLevel $8
  Quit
!macroend

; Waits until the installed Kestrune is closed: the file of a running program cannot be opened for
; writing. Silent mode does not wait: it ends with EXIT_RUNNING.
!macro CloseKestrune PREFIX
Function ${PREFIX}CloseKestrune
  ${Do}
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\kestrune.exe", i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 != -1
      System::Call 'kernel32::CloseHandle(p r0)'
      Return
    ${EndIf}
    ; Not there, or not ours to write (the setup then says so itself).
    ${If} $1 <> 32
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CloseKestrune)" IDRETRY retry
    SetErrorLevel ${EXIT_CANCELLED}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseKestrune ""
!insertmacro CloseKestrune "un."

; --- Installing ----------------------------------------------------------------------------------

Function .onInit
  ${If} ${IsNativeAMD64}
    SetRegView 64
  ${EndIf}
  ; No InstallDir: a folder here came from /D=.
  StrCpy $FolderGiven 0
  ${If} $INSTDIR != ""
    StrCpy $FolderGiven 1
  ${EndIf}
  StrCpy $AllUsers 0
  StrCpy $ModeGiven 0
  StrCpy $DesktopShortcut 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DESKTOP" $R1
  ${IfNot} ${Errors}
    StrCpy $DesktopShortcut 1
  ${EndIf}
  ; The page offers to update an all-users copy where this user has none of their own.
  ${If} $ModeGiven = 0
  ${AndIfNot} ${Silent}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${AndIf} $1 != ""
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
  Call ApplyMode
  ${If} $ModeGiven = 1
    Call ElevateForAllUsers
  ${EndIf}
FunctionEnd

; Where the files, shortcuts and entry go for the mode chosen; an earlier copy is updated where it is.
Function ApplyMode
  ${If} $AllUsers = 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${If} $FolderGiven = 1
    Return
  ${EndIf}
  ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $INSTDIR != ""
    Return
  ${EndIf}
  ${If} $AllUsers = 0
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Kestrune"
  ${ElseIf} ${IsNativeAMD64}
    StrCpy $INSTDIR "$PROGRAMFILES64\Kestrune"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\Kestrune"
  ${EndIf}
FunctionEnd

; For all users without administrator rights: the rest is done by this setup started again with
; them, asking for them first.
Function ElevateForAllUsers
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Return
  ${EndIf}
  StrCpy $1 "/ALLUSERS"
  ${If} $DesktopShortcut = 1
    StrCpy $1 "$1 /DESKTOP"
  ${EndIf}
  ${If} ${Silent}
    StrCpy $1 "/S $1"
  ${EndIf}
  ${If} $FolderGiven = 1
    StrCpy $1 "$1 /D=$INSTDIR"
  ${EndIf}
  !insertmacro RunElevated "$1"
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsText)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "$(JustForMe)"
  Pop $ModeMe
  ${NSD_AddStyle} $ModeMe ${WS_GROUP}
  ${NSD_CreateRadioButton} 0 16u 100% 12u "$(ForAllUsers)"
  Pop $ModeAll
  ${NSD_CreateCheckbox} 0 44u 100% 12u "$(DesktopShortcut)"
  Pop $DesktopBox
  ${If} $AllUsers = 1
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeMe
  ${EndIf}
  ${If} $ModeGiven = 1
    EnableWindow $ModeMe 0
    EnableWindow $ModeAll 0
  ${EndIf}
  ${If} $DesktopShortcut = 1
    ${NSD_Check} $DesktopBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $DesktopBox $0
  StrCpy $DesktopShortcut 0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $DesktopShortcut 1
  ${EndIf}
  ${NSD_GetState} $ModeAll $0
  StrCpy $AllUsers 0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${EndIf}
  Call ApplyMode
  ${If} $AllUsers = 1
    Call ElevateForAllUsers
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Call CloseKestrune
FunctionEnd

; An elevated setup does not start Kestrune: it would run with the administrator's rights.
Function FinishShow
  ${If} $AllUsers = 1
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Section
  Call CloseKestrune
  SetOutPath "$INSTDIR"
  ClearErrors
  ${If} ${IsNativeAMD64}
    File "/oname=kestrune.exe" "${PROGRAM64}"
  ${Else}
    File "/oname=kestrune.exe" "${PROGRAM32}"
  ${EndIf}
  ; Never reported as installed when the program could not be written.
  ${If} ${Errors}
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; Tells the program it is an installed copy: its settings then go in the player's own folder.
  FileOpen $0 "$INSTDIR\kestrune.installed" w
  FileWrite $0 "This Kestrune was installed by its setup program: it keeps its settings in$\r$\n%APPDATA%\Kestrune\.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Kestrune.lnk" "$INSTDIR\kestrune.exe"
  ${If} $DesktopShortcut = 1
    CreateShortcut "$DESKTOP\Kestrune.lnk" "$INSTDIR\kestrune.exe"
  ${EndIf}

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Kestrune"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrune.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- Uninstalling --------------------------------------------------------------------------------

Function un.onInit
  ${If} ${IsNativeAMD64}
    SetRegView 64
  ${EndIf}
  SetShellVarContext current
  StrCpy $UserSettings "$APPDATA\Kestrune"
  StrCpy $RemoveSettings 0
  ; The all-users entry names this folder: an all-users copy.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      StrCpy $1 "_?=$INSTDIR"
      ${If} ${Silent}
        StrCpy $1 "/S $1"
      ${EndIf}
      !insertmacro RunElevated "$1"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(RemoveTitle)" "$(RemoveText)"
  nsDialogs::Create 1018
  Pop $0
  ; Room for six lines: long folder names and languages wrap.
  ${NSD_CreateLabel} 0 0 100% 52u "$(RemoveWhere)"
  Pop $0
  ${NSD_CreateCheckbox} 0 60u 100% 12u "$(RemoveSettings)"
  Pop $RemoveSettingsBox
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
  ${NSD_GetState} $RemoveSettingsBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseKestrune
  Delete "$INSTDIR\kestrune.exe"
  ; A program that stays keeps its shortcuts and its entry, to be removed again.
  ${If} ${FileExists} "$INSTDIR\kestrune.exe"
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  Delete "$INSTDIR\kestrune.installed"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what the player put there stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrune.lnk"
  Delete "$DESKTOP\Kestrune.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${If} $RemoveSettings = 1
    Delete "$UserSettings\kestrune.ini"
    Delete "$UserSettings\mods.kst"
    RMDir "$UserSettings"
  ${EndIf}
SectionEnd
