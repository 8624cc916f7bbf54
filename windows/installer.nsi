; The Windows installer of Telvor Configurator, built on Linux by
; scripts/package-windows with NSIS (makensis), from the ready-to-run folder:
;   makensis -DVERSION=1.0.0 -DSOURCE_DIR=folder -DOUTFILE=setup.exe
;            -DICON=TelvorConfigurator.ico -DFILES_NSH=files.nsh installer.nsi
; Installs per machine (Program Files, for everyone; the default when the
; user may) or per user (the user's own Programs folder), chosen on the first
; page or with /AllUsers or /CurrentUser; /S installs silently. Creates a
; Start-menu shortcut with the program's icon and registers the uninstaller
; under Apps & features. The uninstaller removes what was installed and leaves
; the user's saved entries (HKCU\Software\Telvor\Configurator) alone.

; A 64-bit installer, like the program: it runs wherever the program can
; (and under a 64-bit-only Wine, as the tests run it).
Target amd64-unicode
SetCompressor /SOLID lzma

; Drawn by itself at the screen's scaling (125 %, 150 %, ...) instead of
; stretched as a bitmap by Windows, which blurs it: per-monitor (V2) where
; Windows 10 1703 or later has it, else at the system's scaling.
ManifestDPIAware true
ManifestDPIAwareness "PerMonitorV2,System"

!define APPNAME "Telvor Configurator"
!define COMPANY "Telvor"
!define EXE "TelvorConfiguratorGUI.exe"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TelvorConfigurator"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Telvor\Configurator"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APPNAME} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APPNAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COMPANY}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Turkish"

Function .onInit
    SetRegView 64
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    File /r "${SOURCE_DIR}/*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    ; SHCTX: HKLM for a per-machine installation, HKCU for a per-user one.
    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${APPNAME}"
    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${COMPANY}"
    WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
    WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    ; Exactly the files the installer put in place (listed by
    ; scripts/package-windows), so nothing else in the folder is touched.
    !include "${FILES_NSH}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."
    Delete "$SMPROGRAMS\${APPNAME}.lnk"
    DeleteRegKey SHCTX "${UNINSTKEY}"
    ; HKCU\Software\Telvor\Configurator, the user's saved entries, stays.
SectionEnd
