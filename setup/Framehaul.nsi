; Framehaul's setup program and uninstaller, for either edition. Built by the
; `setup` target:
;   makensis -DFH_VERSION=1.2.3.4 -DFH_EDITION=x86|x64 -DFH_DIST=<dist\Framehaul>
;            -DFH_SOURCE=<repo> -DFH_IE_ENTRIES=<IeEntries.nsh> -DFH_OUTFILE=<setup.exe>
;            Framehaul.nsi
; FH_DIST is the folder the dist target assembles (the zip's content): the
; program, the module of its own kind, and the other kind's module in a
; subfolder named after the other edition, for the other browser on 64-bit
; Windows.
;
; What the two editions differ in: the setup's own kind, the Program Files
; it installs into, which registry view and which regsvr32 are its own and
; which the other browser's.
!if "${FH_EDITION}" == "x64"
  Target amd64-unicode
  !define FH_OTHER "x86"
  !define FH_PROGRAM_FILES "$PROGRAMFILES64"
  !define FH_OWN_VIEW 64
  !define FH_OTHER_VIEW 32
  ; A 64-bit Windows without its 32-bit part has no 32-bit regsvr32.
  !define FH_OTHER_REGSVR32 "$WINDIR\SysWOW64\regsvr32.exe"
  !define FH_NAME_SUFFIX " (x64)"
!else
  Unicode true
  !define FH_OTHER "x64"
  !define FH_PROGRAM_FILES "$PROGRAMFILES"
  !define FH_OWN_VIEW 32
  !define FH_OTHER_VIEW 64
  ; Reached as the real System32 while file redirection is off.
  !define FH_OTHER_REGSVR32 "$SYSDIR\regsvr32.exe"
  !define FH_NAME_SUFFIX ""
!endif
ManifestDPIAware true
SetCompressor /SOLID lzma
; The toolbar button and the Tools menu item live below HKEY_LOCAL_MACHINE.
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include "${FH_IE_ENTRIES}"

!define FH_APP_KEY "Software\Quorvane\Framehaul"
!define FH_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Framehaul"
!define FH_UNINSTALLER "Uninstall.exe"

Name "Framehaul"
OutFile "${FH_OUTFILE}"
; x86: Program Files (x86) on 64-bit Windows, Program Files on 32-bit Windows;
; x64: Program Files.
InstallDir "${FH_PROGRAM_FILES}\Framehaul"
; Run again, the setup offers the folder of the existing install.
InstallDirRegKey HKLM "${FH_UNINSTALL_KEY}" "InstallLocation"
BrandingText "Framehaul ${FH_VERSION}${FH_NAME_SUFFIX}"

VIProductVersion "${FH_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Framehaul"
VIAddVersionKey /LANG=1033 "CompanyName" "Quorvane"
VIAddVersionKey /LANG=1033 "FileDescription" "Framehaul Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${FH_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${FH_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 Quorvane"

!define MUI_ICON "${FH_SOURCE}\resources\images\Framehaul.ico"
!define MUI_UNICON "${FH_SOURCE}\resources\images\Framehaul.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A file that is running or loaded cannot be opened for writing: the user
; closes Framehaul (and Internet Explorer, which loads the module) and
; retries, or gives up before anything was changed. /S gives up at once.
; regsvr32 of a module's own kind, with the arguments on the stack:
; FhRegsvr32 for the setup's own kind, FhRegsvr32Other for the other.
!macro FH_REGSVR32 un name program
Function ${un}${name}
  Exch $0  ; arguments
  ExecWait '"${program}" $0' $1
  ${If} $1 != 0
    DetailPrint "regsvr32 $0 failed ($1)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "regsvr32 $0 failed (exit code $1)." /SD IDOK
  ${EndIf}
  Pop $0
FunctionEnd
!macroend

; What only 64-bit Windows has: every Windows the x64 edition runs on.
!macro FhOn64BitWindows
  !if "${FH_EDITION}" == "x86"
    ${If} ${RunningX64}
  !endif
!macroend
!macro FhEndOn64BitWindows
  !if "${FH_EDITION}" == "x86"
    ${EndIf}
  !endif
!macroend

; The other browser's side: its registry view, and for a 32-bit setup the
; real System32, where the 64-bit regsvr32 is.
!macro FhOtherSideBegin
  SetRegView ${FH_OTHER_VIEW}
  !if "${FH_EDITION}" == "x86"
    ${DisableX64FSRedirection}
  !endif
!macroend
!macro FhOtherSideEnd
  !if "${FH_EDITION}" == "x86"
    ${EnableX64FSRedirection}
  !endif
  SetRegView ${FH_OWN_VIEW}
!macroend

!macro FH_FUNCTIONS un
Function ${un}FhCheckFile
  Exch $0
  ${If} ${FileExists} "$0"
    retry:
    ClearErrors
    FileOpen $1 "$0" a
    ${If} ${Errors}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "$0 is in use.$\r$\nClose Framehaul and Internet Explorer, then click Retry." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
    FileClose $1
  ${EndIf}
  Pop $0
FunctionEnd

Function ${un}FhCheckNotRunning
  Push "$INSTDIR\Framehaul.exe"
  Call ${un}FhCheckFile
  Push "$INSTDIR\${FH_IE_MODULE}"
  Call ${un}FhCheckFile
  Push "$INSTDIR\${FH_OTHER}\${FH_IE_MODULE}"
  Call ${un}FhCheckFile
FunctionEnd

!insertmacro FH_REGSVR32 "${un}" FhRegsvr32 "$SYSDIR\regsvr32.exe"
!insertmacro FH_REGSVR32 "${un}" FhRegsvr32Other "${FH_OTHER_REGSVR32}"
!macroend
!insertmacro FH_FUNCTIONS ""
!insertmacro FH_FUNCTIONS "un."

Function .onInit
  SetShellVarContext all
  SetRegView ${FH_OWN_VIEW}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView ${FH_OWN_VIEW}
FunctionEnd

; A copy installed in another folder is removed by its own uninstaller, so
; that one folder holds Framehaul and the Add/Remove entry matches it.
Function FhRemoveCopyElsewhere
  ReadRegStr $0 HKLM "${FH_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
  ${OrIfNot} ${FileExists} "$0\${FH_UNINSTALLER}"
    Return
  ${EndIf}
  DetailPrint "Removing the copy in $0"
  ExecWait '"$0\${FH_UNINSTALLER}" /S _?=$0' $1
  ${If} $1 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "Framehaul in $0 could not be removed. Close it and run this setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$0\${FH_UNINSTALLER}"
  RMDir "$0"
FunctionEnd

Section "Framehaul" SecProgram
  SectionIn RO
  Call FhCheckNotRunning
  Call FhRemoveCopyElsewhere
  SetOutPath "$INSTDIR"
  File "${FH_DIST}\Framehaul.exe"
  File "${FH_DIST}\${FH_IE_MODULE}"
  File "${FH_DIST}\SnagbarPage.html"
  File "${FH_DIST}\SnagbarLink.html"
  File "${FH_DIST}\README.txt"
  !insertmacro FhOn64BitWindows
    SetOutPath "$INSTDIR\${FH_OTHER}"
    File "${FH_DIST}\${FH_OTHER}\${FH_IE_MODULE}"
    SetOutPath "$INSTDIR"
  !insertmacro FhEndOn64BitWindows
  WriteUninstaller "$INSTDIR\${FH_UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\Framehaul.lnk" "$INSTDIR\Framehaul.exe"
  ; The browser module starts Framehaul.exe from this folder; the program
  ; only fills the value in when it is missing, so a move must update it.
  WriteRegStr HKCU "${FH_APP_KEY}" "InstallDir" "$INSTDIR"

  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "DisplayName" "Framehaul${FH_NAME_SUFFIX}"
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "DisplayVersion" "${FH_VERSION}"
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "Publisher" "Quorvane"
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Framehaul.exe,0"
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${FH_UNINSTALLER}"'
  WriteRegStr HKLM "${FH_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${FH_UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${FH_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${FH_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${FH_UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; What the Options dialog writes with the whole browser integration on.
Section "Internet Explorer integration" SecBrowser
  !insertmacro FhWriteIeMenuItems
  !insertmacro FhWriteIeExtension
  Push '/s "$INSTDIR\${FH_IE_MODULE}"'
  Call FhRegsvr32
  !insertmacro FhOn64BitWindows
    !insertmacro FhOtherSideBegin
    !insertmacro FhWriteIeExtension
    ${If} ${FileExists} "${FH_OTHER_REGSVR32}"
      Push '/s "$INSTDIR\${FH_OTHER}\${FH_IE_MODULE}"'
      Call FhRegsvr32Other
    ${EndIf}
    !insertmacro FhOtherSideEnd
  !insertmacro FhEndOn64BitWindows
SectionEnd

Section "un.Framehaul" UnSecProgram
  SectionIn RO
  Call un.FhCheckNotRunning
  ${If} ${FileExists} "$INSTDIR\${FH_IE_MODULE}"
    Push '/s /u "$INSTDIR\${FH_IE_MODULE}"'
    Call un.FhRegsvr32
  ${EndIf}
  !insertmacro FhDeleteIeMenuItems
  !insertmacro FhDeleteIeExtension
  !insertmacro FhOn64BitWindows
    !insertmacro FhOtherSideBegin
    ${If} ${FileExists} "$INSTDIR\${FH_OTHER}\${FH_IE_MODULE}"
    ${AndIf} ${FileExists} "${FH_OTHER_REGSVR32}"
      Push '/s /u "$INSTDIR\${FH_OTHER}\${FH_IE_MODULE}"'
      Call un.FhRegsvr32Other
    ${EndIf}
    !insertmacro FhDeleteIeExtension
    !insertmacro FhOtherSideEnd
  !insertmacro FhEndOn64BitWindows

  Delete "$SMPROGRAMS\Framehaul.lnk"
  DeleteRegKey HKLM "${FH_UNINSTALL_KEY}"
  ; The folder goes: a copy of the program started later elsewhere must
  ; fill in its own folder, so the value goes when it names this one.
  ReadRegStr $0 HKCU "${FH_APP_KEY}" "InstallDir"
  ${If} $0 == $INSTDIR
  ${OrIf} "$0\" == $INSTDIR
    DeleteRegValue HKCU "${FH_APP_KEY}" "InstallDir"
  ${EndIf}

  Delete "$INSTDIR\Framehaul.exe"
  Delete "$INSTDIR\${FH_IE_MODULE}"
  Delete "$INSTDIR\${FH_OTHER}\${FH_IE_MODULE}"
  RMDir "$INSTDIR\${FH_OTHER}"
  Delete "$INSTDIR\SnagbarPage.html"
  Delete "$INSTDIR\SnagbarLink.html"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${FH_UNINSTALLER}"
  ; Only when empty: the user may keep downloads here. Last, so that a
  ; gone folder means a finished uninstall.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Remove my settings" UnSecSettings
  DeleteRegKey HKCU "${FH_APP_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quorvane"
SectionEnd
