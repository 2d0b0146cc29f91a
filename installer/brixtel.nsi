; Brixtel's Windows installer. Built by installer/CMakeLists.txt, which passes the files to pack
; and the version include on makensis's command line:
;   VERSION_FILE OUT_FILE PROGRAM TYPE_TOOL SIMULATOR SIMULATOR_README DEMO_DATABASE ICON
;
; What it lays down below the chosen folder (default Program Files\Brixtel):
;   Programs\Brixtel.exe, Programs\vexrun.exe   the program finds its base folder and the Type
;                                               tool from its working folder, so the shortcut
;                                               starts it in Programs
;   Simulator\...                               optional: the Zandor simulator and demo plant
;   Uninstall.exe
; and in the 64-bit registry: InstallDir under HKLM\Software\Quorrel (copied to each user at
; their first start) and the Apps entry. Uninstalling removes exactly these and never the
; users' settings (HKCU) nor log files.

Unicode true
; A 64-bit installer for a 64-bit program: it runs wherever the program can, and sees the same
; Program Files folder and registry as the program.
Target amd64-unicode
!include "${VERSION_FILE}"
!include "MUI2.nsh"

!define PRODUCT "Brixtel"
!define PUBLISHER "Quorrel"
!define MAKER_KEY "Software\Quorrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brixtel"
!define MENU_FOLDER "$SMPROGRAMS\Brixtel"
!define SIMULATOR_PORTS "--port 5001 --port 5002"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${BRIXTEL_VERSION}"

VIProductVersion "${BRIXTEL_FILE_VERSION}"
VIFileVersion "${BRIXTEL_FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductVersion" "${BRIXTEL_VERSION}"
VIAddVersionKey "FileVersion" "${BRIXTEL_VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The program reads the 64-bit registry; said outright, so that the installer writes there
; whatever its own build.
Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "${PRODUCT}" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR\Programs"
    File "/oname=Brixtel.exe" "${PROGRAM}"
    File "/oname=vexrun.exe" "${TYPE_TOOL}"

    WriteRegStr HKLM "${MAKER_KEY}" "InstallDir" "$INSTDIR"

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${BRIXTEL_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Programs\Brixtel.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; Shortcuts for every user; the output folder is the shortcut's working folder.
    SetShellVarContext all
    CreateDirectory "${MENU_FOLDER}"
    SetOutPath "$INSTDIR\Programs"
    CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Programs\Brixtel.exe" "" \
        "$INSTDIR\Programs\Brixtel.exe" 0
SectionEnd

Section "Zandor simulator" SecSimulator
    SetOutPath "$INSTDIR\Simulator"
    File "/oname=zandor-sim.exe" "${SIMULATOR}"
    File "/oname=plant.csv" "${DEMO_DATABASE}"
    File "/oname=Readme.txt" "${SIMULATOR_README}"
    SetShellVarContext all
    CreateDirectory "${MENU_FOLDER}"
    ; A day's run: the simulator otherwise stops after an hour.
    CreateShortcut "${MENU_FOLDER}\Zandor Simulator.lnk" "$INSTDIR\Simulator\zandor-sim.exe" \
        "${SIMULATOR_PORTS} --verbose --max-seconds 86400"
    CreateShortcut "${MENU_FOLDER}\Zandor Simulator Readme.lnk" "$INSTDIR\Simulator\Readme.txt"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The Brixtel program and its Type tool."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecSimulator} \
        "A Zandor server on UDP ports 5001 and 5002 with a demo plant, to try Brixtel."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Only what was installed goes: a log folder the program made below the installation folder,
; and every user's own settings, stay.
Section "Uninstall"
    Delete "$INSTDIR\Programs\Brixtel.exe"
    Delete "$INSTDIR\Programs\vexrun.exe"
    RMDir "$INSTDIR\Programs"
    Delete "$INSTDIR\Simulator\zandor-sim.exe"
    Delete "$INSTDIR\Simulator\plant.csv"
    Delete "$INSTDIR\Simulator\Readme.txt"
    RMDir "$INSTDIR\Simulator"

    SetShellVarContext all
    Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
    Delete "${MENU_FOLDER}\Zandor Simulator.lnk"
    Delete "${MENU_FOLDER}\Zandor Simulator Readme.lnk"
    RMDir "${MENU_FOLDER}"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegValue HKLM "${MAKER_KEY}" "InstallDir"
    DeleteRegKey /ifempty HKLM "${MAKER_KEY}"

    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
