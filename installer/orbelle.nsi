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
; /AllUsers, /Start (silent, per user: start Orbelle when done), /D=FOLDER.
; The uninstaller takes /S and /RemoveSettings.
;
; Exit codes beside NSIS's own: 5, a running Orbelle did not end; 740, a
; silent per-machine run without administrator rights; 1150, a Windows older
; than 10 version 1607; uninstaller 3010, files in use are removed at the next
; restart of Windows, 2, files in use could not even be scheduled for that (the
; uninstall entry stays, so that the uninstaller can be run again).

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
!include WinVer.nsh

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
!define ERROR_OLD_WIN_VERSION 1150
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
; orbl3.exe imports functions of Windows 10 version 1607 (build 14393).
!define MIN_WINDOWS_BUILD 14393

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
Var NotRemoved      ; uninstaller: 1 when a file could be neither removed nor scheduled

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
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
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
; $R1 is the process ID of the copy that did not end.
LangString StillRunning ${LANG_ENGLISH} "Orbelle (orbl3.exe, process ID $R1) is still running and did not end when asked; a copy started with administrator rights refuses the request. Close it from its tray menu, or end orbl3.exe with process ID $R1 on the Details tab of Task Manager, then choose Retry."
LangString StillRunning ${LANG_GERMAN} "Orbelle (orbl3.exe, Prozess-ID $R1) läuft noch und hat sich auf Anfrage nicht beendet; ein mit Administratorrechten gestartetes Orbelle lehnt die Anfrage ab. Beenden Sie es über sein Menü im Infobereich oder beenden Sie orbl3.exe mit der Prozess-ID $R1 auf der Registerkarte Details des Task-Managers und wählen Sie dann Wiederholen."
LangString StillRunning ${LANG_FRENCH} "Orbelle (orbl3.exe, ID de processus $R1) est toujours en cours d'exécution et ne s'est pas fermé à la demande ; un Orbelle lancé avec les droits d'administrateur refuse la demande. Quittez-le depuis son menu de la zone de notification, ou terminez orbl3.exe avec l'ID de processus $R1 dans l'onglet Détails du Gestionnaire des tâches, puis choisissez Réessayer."
LangString OldWindows ${LANG_ENGLISH} "Orbelle needs Windows 10 version 1607 or later, or Windows 11. Update Windows, then run Setup again."
LangString OldWindows ${LANG_GERMAN} "Orbelle benötigt Windows 10 Version 1607 oder neuer oder Windows 11. Aktualisieren Sie Windows und starten Sie Setup dann erneut."
LangString OldWindows ${LANG_FRENCH} "Orbelle nécessite Windows 10 version 1607 ou ultérieure, ou Windows 11. Mettez Windows à jour, puis relancez l'installation."
LangString StartFromMenu ${LANG_ENGLISH} "Orbelle has been installed for everyone on this computer.$\r$\n$\r$\nStart it from the Start menu: Setup runs with administrator rights, and an Orbelle started from here would run with them too.$\r$\n$\r$\nClick Finish to close Setup."
LangString StartFromMenu ${LANG_GERMAN} "Orbelle wurde für alle Benutzer dieses Computers installiert.$\r$\n$\r$\nStarten Sie es über das Startmenü: Setup läuft mit Administratorrechten, und ein von hier gestartetes Orbelle liefe ebenfalls damit.$\r$\n$\r$\nKlicken Sie auf Fertig stellen, um Setup zu schließen."
LangString StartFromMenu ${LANG_FRENCH} "Orbelle a été installé pour tous les utilisateurs de cet ordinateur.$\r$\n$\r$\nDémarrez-le depuis le menu Démarrer : l'installation s'exécute avec les droits d'administrateur, et un Orbelle lancé d'ici les aurait aussi.$\r$\n$\r$\nCliquez sur Fermer pour quitter l'installation."
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
LangString OtherUsers ${LANG_ENGLISH} "Orbelle is removed for everyone on this computer, with your automatic start and, if you tick the box, your settings. Other users who let Orbelle start automatically keep that entry: once Orbelle is gone it starts nothing, and they can remove it on the Startup tab of Task Manager."
LangString OtherUsers ${LANG_GERMAN} "Orbelle wird für alle Benutzer dieses Computers entfernt, mit Ihrem automatischen Start und, wenn Sie das Kästchen ankreuzen, Ihren Einstellungen. Andere Benutzer, die Orbelle automatisch starten ließen, behalten diesen Eintrag: Ohne Orbelle startet er nichts, und sie können ihn auf der Registerkarte Autostart des Task-Managers entfernen."
LangString OtherUsers ${LANG_FRENCH} "Orbelle est supprimé pour tous les utilisateurs de cet ordinateur, avec votre démarrage automatique et, si vous cochez la case, vos réglages. Les autres utilisateurs qui lançaient Orbelle automatiquement gardent cette entrée : sans Orbelle elle ne lance rien, et ils peuvent la supprimer dans l'onglet Démarrage du Gestionnaire des tâches."
LangString RemovedAtRestart ${LANG_ENGLISH} "Some of Orbelle's files are in use, probably by Orbelle running in another user's session. They will be removed when Windows restarts."
LangString RemovedAtRestart ${LANG_GERMAN} "Einige Dateien von Orbelle werden noch verwendet, wahrscheinlich von Orbelle in der Sitzung eines anderen Benutzers. Sie werden beim nächsten Neustart von Windows entfernt."
LangString RemovedAtRestart ${LANG_FRENCH} "Certains fichiers d'Orbelle sont en cours d'utilisation, probablement par Orbelle dans la session d'un autre utilisateur. Ils seront supprimés au prochain redémarrage de Windows."
LangString NotRemoved ${LANG_ENGLISH} "Some of Orbelle's files are in use and could not be removed, nor scheduled for removal at the next restart. Close Orbelle in every user's session, then run the uninstaller again: it stays listed under Installed apps."
LangString NotRemoved ${LANG_GERMAN} "Einige Dateien von Orbelle werden noch verwendet und konnten weder entfernt noch zum Entfernen beim nächsten Neustart vorgemerkt werden. Beenden Sie Orbelle in allen Benutzersitzungen und starten Sie die Deinstallation erneut: Sie bleibt unter Installierte Apps aufgeführt."
LangString NotRemoved ${LANG_FRENCH} "Certains fichiers d'Orbelle sont en cours d'utilisation et n'ont pu être ni supprimés ni programmés pour suppression au prochain redémarrage. Quittez Orbelle dans la session de chaque utilisateur, puis relancez la désinstallation : elle reste dans la liste des applications installées."

; --- shared by installer and uninstaller -------------------------------------

; Asks every Orbelle on this desktop to end the program's own way (it saves
; its settings on a close request) and waits for its process to end: files in
; use cannot be replaced or removed. One that does not end is named by its
; process ID, for the user to end; Cancel aborts. A copy with higher rights
; (started elevated while this runs without) refuses the message outright
; (PostMessage fails): that one is named at once rather than after the wait.
!macro DEFINE_CLOSE_RUNNING prefix
Function ${prefix}CloseRunningOrbelle
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  find:
    FindWindow $R0 "${APP_CLASS}" "${APP_TITLE}"
    StrCmp $R0 0 done
    DetailPrint "$(ClosingOrbelle)"
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1) i'
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2'
    System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0) i .R4'
    ; $R3: 0 once it has ended.
    StrCpy $R3 1
    ${If} $R4 <> 0
      ${If} $R2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_TIMEOUT_MS}) i .R3'
      ${Else}
        ; No handle to wait on: its window goes with it.
        StrCpy $R5 0
        ${Do}
          System::Call 'user32::IsWindow(p R0) i .R4'
          ${If} $R4 = 0
            StrCpy $R3 0
            ${Break}
          ${EndIf}
          Sleep 100
          IntOp $R5 $R5 + 100
        ${LoopUntil} $R5 >= ${CLOSE_TIMEOUT_MS}
      ${EndIf}
    ${EndIf}
    ${If} $R2 P<> 0
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    ; Ended: look for another one (one per user on a shared desktop).
    StrCmp $R3 0 find
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY find
    SetErrorLevel 5
    Abort
  done:
  Pop $R5
  Pop $R4
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
  ; Said before anything else: orbl3.exe would not even start there.
  ${IfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} ${MIN_WINDOWS_BUILD}
    MessageBox MB_OK|MB_ICONSTOP "$(OldWindows)" /SD IDOK
    SetErrorLevel ${ERROR_OLD_WIN_VERSION}
    Quit
  ${EndIf}

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

; Per machine, this installer runs elevated, and a program it starts would
; run elevated too: out of reach of the user's own programs and of a later
; setup run without elevation. Nothing documented starts a program with the
; user's ordinary rights from here, so the user starts it from the Start menu.
Function StartOrbelle
  ${If} $AllUsers <> 1
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

Function FinishPageShow
  ${If} $AllUsers = 1
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(StartFromMenu)"
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
  ${If} $AllUsers = 1
    ${NSD_CreateLabel} 10u 34u 280u 60u "$(OtherUsers)"
    Pop $0
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
  StrCpy $NotRemoved 0
  Call un.CloseRunningOrbelle

  ; Only what was installed: anything the user put in the folder keeps it.
  ; An Orbelle in another user's session is out of reach and keeps its files
  ; in use: those are removed at the next restart of Windows. A file that can
  ; be neither removed nor scheduled (scheduling needs administrator rights)
  ; sets the error flag.
  ClearErrors
  Delete /REBOOTOK "$INSTDIR\${EXE}"
  Delete /REBOOTOK "$INSTDIR\orbelle-help.html"
  Delete /REBOOTOK "$INSTDIR\readme.txt"
  Delete /REBOOTOK "$INSTDIR\LICENSE.txt"
  !insertmacro DeleteShippedLanguages "$INSTDIR\Language"
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    StrCpy $NotRemoved 1
  ${EndIf}
  ; A folder still holding a scheduled file goes after it; one holding the
  ; user's own files stays.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR\Language"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR\Language"
    RMDir "$INSTDIR"
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Autostart is the program's own, per user; "ORBL" is an older version's.
  DeleteRegValue HKCU "${RUN_KEY}" "Orbelle"
  DeleteRegValue HKCU "${RUN_KEY}" "ORBL"

  ${If} $RemoveSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ; The drive locks of ours still in force on this boot, kept beside the settings.
    DeleteRegKey HKCU "SOFTWARE\Corvantis\Orbelle\Held Locks"
    DeleteRegKey /ifempty HKCU "SOFTWARE\Corvantis\Orbelle"
    DeleteRegKey /ifempty HKCU "SOFTWARE\Corvantis"
  ${EndIf}

  ; Last, and only when every file is gone or scheduled: while the entry is
  ; listed, the uninstaller can be run again to finish.
  ${If} $NotRemoved = 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotRemoved)" /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ${If} ${RebootFlag}
    DetailPrint "$(RemovedAtRestart)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(RemovedAtRestart)" /SD IDOK
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd
