; Orbelle's installer, built by cmake/PackageWindows.cmake (scripts/package.sh):
;
;   makensis -DVERSION=3.1.2 -DSTAGE=<program folder> -DOUTFILE=<setup.exe>
;            [-DSIGN=<signing command>] orbelle.nsi
;
; STAGE is the program folder as the zip archive holds it, plus shipped.nsh
; beside it (the language files, listed for installing and removing).
;
; Per user (the default: %LOCALAPPDATA%\Programs\Orbelle, no elevation) or per
; machine (Program Files, elevated). Command line: /S silent, /CurrentUser,
; /AllUsers, /Start (silent: start Orbelle when done), /D=FOLDER. The
; uninstaller takes /S and /RemoveSettings.

!ifndef VERSION
  !error "define VERSION, STAGE and OUTFILE"
!endif
!ifndef STAGE
  !error "define VERSION, STAGE and OUTFILE"
!endif
!ifndef OUTFILE
  !error "define VERSION, STAGE and OUTFILE"
!endif

Unicode true
; orbl3.exe is a 64-bit program; a 64-bit installer sees the same registry and
; Program Files as it does.
Target amd64-unicode
ManifestDPIAware true
; Elevated only when the user picks a per-machine install: see ModePageLeave.
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Orbelle"
!define PUBLISHER "Corvantis"
!define EXE "orbl3.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbelle"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "SOFTWARE\Corvantis\Orbelle\3.x"
; The hidden application window: a close request makes Orbelle save its
; settings and end.
!define APP_CLASS "OrbelleWindow"
!define APP_TITLE "Orbelle"
!define CLOSE_TIMEOUT_MS 15000
!define ERROR_ELEVATION_REQUIRED 740

!include "${STAGE}\..\shipped.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"

; SIGN, when defined, is a command that signs the file named after it in
; place (PackageWindows.cmake passes scripts/sign-file.sh with its
; certificate). The uninstaller is signed before it goes into the installer,
; the installer last: a signature covers every byte before it.
!ifdef SIGN
  !uninstfinalize `${SIGN} "%1"` = 0
  !finalize `${SIGN} "%1"` = 0
!endif
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Orbelle developers, MIT licence"

Var AllUsers        ; 1: per machine, 0: per user
Var ModeFixed       ; 1: /AllUsers or /CurrentUser was given
Var DirFixed        ; 1: /D= chose the folder
Var StartAfter      ; 1: /Start was given
Var RadioUser
Var RadioAll
Var RemoveSettings  ; uninstaller: 1 removes the user's settings key
Var RemoveBox

!define MUI_ICON "${STAGE}\..\orbelle.ico"
!define MUI_UNICON "${STAGE}\..\orbelle.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartOrbelle)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartOrbelle
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program ships these three languages; the pages follow the system's.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"

LangString ModeTitle ${LANG_ENGLISH} "Install for whom"
LangString ModeTitle ${LANG_GERMAN} "Installieren für wen"
LangString ModeTitle ${LANG_FRENCH} "Installer pour qui"
LangString ModeSubtitle ${LANG_ENGLISH} "Choose who may use Orbelle on this computer."
LangString ModeSubtitle ${LANG_GERMAN} "Wählen Sie, wer Orbelle auf diesem Computer nutzen darf."
LangString ModeSubtitle ${LANG_FRENCH} "Choisissez qui pourra utiliser Orbelle sur cet ordinateur."
LangString ModeCurrentUser ${LANG_ENGLISH} "Only for me (no administrator rights needed)"
LangString ModeCurrentUser ${LANG_GERMAN} "Nur für mich (keine Administratorrechte nötig)"
LangString ModeCurrentUser ${LANG_FRENCH} "Seulement pour moi (sans droits d'administrateur)"
LangString ModeAllUsers ${LANG_ENGLISH} "For everyone on this computer (needs administrator rights)"
LangString ModeAllUsers ${LANG_GERMAN} "Für alle Benutzer dieses Computers (Administratorrechte nötig)"
LangString ModeAllUsers ${LANG_FRENCH} "Pour tous les utilisateurs (droits d'administrateur requis)"
LangString ElevationRefused ${LANG_ENGLISH} "Setup could not be started with administrator rights. Choose 'Only for me' to install without them."
LangString ElevationRefused ${LANG_GERMAN} "Setup konnte nicht mit Administratorrechten starten. Wählen Sie 'Nur für mich', um ohne sie zu installieren."
LangString ElevationRefused ${LANG_FRENCH} "Impossible de lancer l'installation avec les droits d'administrateur. Choisissez « Seulement pour moi » pour installer sans eux."
LangString StartOrbelle ${LANG_ENGLISH} "Start Orbelle"
LangString StartOrbelle ${LANG_GERMAN} "Orbelle starten"
LangString StartOrbelle ${LANG_FRENCH} "Démarrer Orbelle"
LangString ClosingOrbelle ${LANG_ENGLISH} "Asking the running Orbelle to save its settings and end..."
LangString ClosingOrbelle ${LANG_GERMAN} "Das laufende Orbelle speichert seine Einstellungen und wird beendet..."
LangString ClosingOrbelle ${LANG_FRENCH} "Orbelle en cours d'exécution enregistre ses réglages et se ferme..."
LangString StillRunning ${LANG_ENGLISH} "Orbelle is still running. Close it from its tray menu, then choose Retry."
LangString StillRunning ${LANG_GERMAN} "Orbelle läuft noch. Beenden Sie es über sein Menü im Infobereich und wählen Sie dann Wiederholen."
LangString StillRunning ${LANG_FRENCH} "Orbelle est toujours en cours d'exécution. Quittez-le depuis son menu de la zone de notification, puis choisissez Réessayer."
LangString ShortcutComment ${LANG_ENGLISH} "Guards the CD and DVD drives"
LangString ShortcutComment ${LANG_GERMAN} "Bewacht die CD- und DVD-Laufwerke"
LangString ShortcutComment ${LANG_FRENCH} "Surveille les lecteurs de CD et de DVD"
LangString RemoveSettingsTitle ${LANG_ENGLISH} "Your settings"
LangString RemoveSettingsTitle ${LANG_GERMAN} "Ihre Einstellungen"
LangString RemoveSettingsTitle ${LANG_FRENCH} "Vos réglages"
LangString RemoveSettingsSubtitle ${LANG_ENGLISH} "Orbelle's settings can stay for a later installation."
LangString RemoveSettingsSubtitle ${LANG_GERMAN} "Die Einstellungen von Orbelle können für eine spätere Installation bleiben."
LangString RemoveSettingsSubtitle ${LANG_FRENCH} "Les réglages d'Orbelle peuvent rester pour une installation ultérieure."
LangString RemoveSettingsBox ${LANG_ENGLISH} "Also remove my settings (drive options, hot keys, language)"
LangString RemoveSettingsBox ${LANG_GERMAN} "Auch meine Einstellungen entfernen (Laufwerksoptionen, Tastenkürzel, Sprache)"
LangString RemoveSettingsBox ${LANG_FRENCH} "Supprimer aussi mes réglages (options des lecteurs, raccourcis, langue)"

; --- shared by installer and uninstaller -------------------------------------

; Asks every Orbelle on this desktop to end the program's own way (it saves
; its settings on a close request) and waits for its process to end: files in
; use cannot be replaced or removed. Aborts when one does not end.
!macro DEFINE_CLOSE_RUNNING prefix
Function ${prefix}CloseRunningOrbelle
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  find:
    FindWindow $R0 "${APP_CLASS}" "${APP_TITLE}"
    StrCmp $R0 0 done
    DetailPrint "$(ClosingOrbelle)"
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1) i'
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2'
    System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
    StrCpy $R3 1
    ${If} $R2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_TIMEOUT_MS}) i .R3'
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    ; WAIT_OBJECT_0: ended; look for another one (one per user on a shared desktop).
    StrCmp $R3 0 find
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY find
    SetErrorLevel 5
    Abort
  done:
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING ""
!insertmacro DEFINE_CLOSE_RUNNING "un."

!macro DEFINE_IS_ADMIN prefix
; Pushes 1 when this process runs with administrator rights, else 0.
Function ${prefix}IsAdmin
  Push $0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_IS_ADMIN ""
!insertmacro DEFINE_IS_ADMIN "un."

; --- installer -----------------------------------------------------------------

; Sets the shell folders and registry root for $AllUsers, and the folder
; unless /D= chose one: where this mode's earlier installation is, else the
; mode's default.
Function ApplyMode
  ${If} $AllUsers = 1
    SetShellVarContext all
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    StrCmp $0 "" 0 +2
    StrCpy $0 "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetShellVarContext current
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
    StrCmp $0 "" 0 +2
    StrCpy $0 "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  ${If} $DirFixed <> 1
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  StrCpy $ModeFixed 0
  StrCpy $DirFixed 0
  StrCpy $StartAfter 0
  ; Nothing sets $INSTDIR before this but /D=.
  StrCmp $INSTDIR "" +2
  StrCpy $DirFixed 1

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeFixed 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $ModeFixed 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/Start" $R1
  ${IfNot} ${Errors}
    StrCpy $StartAfter 1
  ${EndIf}

  ; An update stays per machine when that is the only installation there is.
  ${If} $ModeFixed <> 1
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${AndIf} $1 != ""
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}

  ; Unattended, nobody can answer an elevation prompt: the caller elevates.
  ${If} ${Silent}
  ${AndIf} $AllUsers = 1
    Call IsAdmin
    Pop $0
    ${If} $0 <> 1
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${If} $ModeFixed = 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 10u 10u 280u 14u "$(ModeCurrentUser)"
  Pop $RadioUser
  ${NSD_CreateRadioButton} 10u 32u 280u 14u "$(ModeAllUsers)"
  Pop $RadioAll
  ${If} $AllUsers = 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 <> ${BST_CHECKED}
    StrCpy $AllUsers 0
    Call ApplyMode
    Return
  ${EndIf}
  Call IsAdmin
  Pop $0
  ${If} $0 <> 1
    ; Started without elevation: start again elevated, asked for everyone,
    ; and leave the rest to that one.
    ClearErrors
    ExecShell "runas" "$EXEPATH" "/AllUsers"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(ElevationRefused)"
      Abort
    ${EndIf}
    Quit
  ${EndIf}
  StrCpy $AllUsers 1
  Call ApplyMode
FunctionEnd

Function StartOrbelle
  SetOutPath "$INSTDIR"
  ${If} $AllUsers = 1
    ; This installer runs elevated: Explorer starts the program with the
    ; user's ordinary rights rather than this process's.
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
  ${Else}
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

Section "Orbelle"
  SectionIn RO
  Call CloseRunningOrbelle

  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\orbelle-help.html"
  File "${STAGE}\readme.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\Language"
  !insertmacro InstallShippedLanguages
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
      SW_SHOWNORMAL "" "$(ShortcutComment)"

  ; SHCTX is HKLM per machine, HKCU per user (SetShellVarContext in ApplyMode).
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $StartAfter = 1
    Call StartOrbelle
  ${EndIf}
FunctionEnd

; --- uninstaller ---------------------------------------------------------------

Function un.onInit
  StrCpy $RemoveSettings 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RemoveSettings" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}

  ; Per machine when the machine-wide entry names this folder.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}

  ${If} $AllUsers = 1
    SetShellVarContext all
    Call un.IsAdmin
    Pop $0
    ${If} $0 <> 1
      ${If} ${Silent}
        SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
        Quit
      ${EndIf}
      ; The running copy lies in the temporary folder: start the one in the
      ; program folder again, elevated.
      ClearErrors
      ExecShell "runas" "$INSTDIR\${UNINSTALLER}"
      ${If} ${Errors}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(ElevationRefused)"
      ${EndIf}
      Quit
    ${EndIf}
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Function un.SettingsPage
  !insertmacro MUI_HEADER_TEXT "$(RemoveSettingsTitle)" "$(RemoveSettingsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 10u 10u 280u 14u "$(RemoveSettingsBox)"
  Pop $RemoveBox
  ${If} $RemoveSettings = 1
    ${NSD_Check} $RemoveBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
  ${NSD_GetState} $RemoveBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${Else}
    StrCpy $RemoveSettings 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningOrbelle

  ; Only what was installed: anything the user put in the folder keeps it.
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\orbelle-help.html"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  !insertmacro DeleteShippedLanguages "$INSTDIR\Language"
  RMDir "$INSTDIR\Language"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Autostart is the program's own, per user; "ORBL" is an older version's.
  DeleteRegValue HKCU "${RUN_KEY}" "Orbelle"
  DeleteRegValue HKCU "${RUN_KEY}" "ORBL"

  ${If} $RemoveSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "SOFTWARE\Corvantis\Orbelle"
    DeleteRegKey /ifempty HKCU "SOFTWARE\Corvantis"
  ${EndIf}

  ; Last: while the entry is listed, the uninstaller can be run again to finish.
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd
