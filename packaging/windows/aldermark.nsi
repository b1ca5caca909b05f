; The Windows installer of ZEB Aldermark: the 64-bit plug-in into the 64-bit VST 2 folder, the
; 32-bit plug-in into the 32-bit one, the two CLAP plug-ins into the CLAP folders of Common
; Files (64-bit and 32-bit, where CLAP hosts look), the user manual and the uninstaller into the program
; folder, and "ManualPath" for the installing user, so the editor's manual button finds it.
; The uninstaller removes exactly what was installed (the folders only if setup made them and
; they are empty); the user's other settings under the same key stay.
;
; makensis -DVERSION=3.0.3 -DDLL64=... -DDLL32=... -DCLAP64=... -DCLAP32=... -DMANUAL=folder -DLICENCE=file -DOUTFILE=...
; Silent: setup.exe /S [/VST64=folder] [/VST32=folder] [/NO64] [/NO32] [/D=program folder]

Unicode true
ManifestDPIAware true
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "x64.nsh"

!define PRODUCT "ZEB Aldermark"
!define SETTINGS_KEY "SOFTWARE\Kestrune\ZEBDIALS300"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEB Aldermark"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrune\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Kestrune"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 Kestrune"

Var Vst64Dir
Var Vst32Dir

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the user manual and the uninstaller into this folder."
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE skipUnless64
!define MUI_DIRECTORYPAGE_VARIABLE $Vst64Dir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the 64-bit plug-in (ZEB Aldermark_x64.dll) into this VST folder. Choose the folder your 64-bit host scans."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "64-bit VST 2 folder"
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE skipUnless32
!define MUI_DIRECTORYPAGE_VARIABLE $Vst32Dir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the 32-bit plug-in (ZEB Aldermark.dll) into this VST folder. Choose the folder your 32-bit host scans."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "32-bit VST 2 folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Records in the uninstall key that a folder did not exist before this install.
!macro RememberNewFolder folder name
  ${IfNot} ${FileExists} "${folder}\*.*"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${name}" 1
  ${EndIf}
!macroend

Section "64-bit VST 2 and CLAP plug-ins" Sec64
  !insertmacro RememberNewFolder "$Vst64Dir" "MadeVst64Folder"
  SetOutPath "$Vst64Dir"
  File "/oname=ZEB Aldermark_x64.dll" "${DLL64}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Plugin64" "$Vst64Dir\ZEB Aldermark_x64.dll"
  !insertmacro RememberNewFolder "$COMMONFILES64\CLAP" "MadeClap64Folder"
  SetOutPath "$COMMONFILES64\CLAP"
  File "/oname=ZEB Aldermark.clap" "${CLAP64}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Clap64" "$COMMONFILES64\CLAP\ZEB Aldermark.clap"
SectionEnd

Section "32-bit VST 2 and CLAP plug-ins" Sec32
  !insertmacro RememberNewFolder "$Vst32Dir" "MadeVst32Folder"
  SetOutPath "$Vst32Dir"
  File "/oname=ZEB Aldermark.dll" "${DLL32}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Plugin32" "$Vst32Dir\ZEB Aldermark.dll"
  !insertmacro RememberNewFolder "$COMMONFILES32\CLAP" "MadeClap32Folder"
  SetOutPath "$COMMONFILES32\CLAP"
  File "/oname=ZEB Aldermark.clap" "${CLAP32}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Clap32" "$COMMONFILES32\CLAP\ZEB Aldermark.clap"
SectionEnd

Section "User manual" SecManual
  SectionIn RO
  ${GetParent} "$INSTDIR" $R1
  !insertmacro RememberNewFolder "$R1" "MadeVendorFolder"
  SetOutPath "$INSTDIR\Manual"
  File /r "${MANUAL}\*.*"
  SetOutPath "$INSTDIR"
  File "/oname=Font licence.txt" "${LICENCE}"
  WriteRegStr HKCU "${SETTINGS_KEY}" "ManualPath" "$INSTDIR\Manual\index.html"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ManualPath" "$INSTDIR\Manual\index.html"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kestrune"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

LangString DESC_Sec64 ${LANG_ENGLISH} "ZEB Aldermark_x64.dll and ZEB Aldermark.clap, for 64-bit hosts."
LangString DESC_Sec32 ${LANG_ENGLISH} "ZEB Aldermark.dll and ZEB Aldermark.clap, for 32-bit hosts."
LangString DESC_SecManual ${LANG_ENGLISH} "The user manual the plug-in's ? button opens."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${Sec64} $(DESC_Sec64)
  !insertmacro MUI_DESCRIPTION_TEXT ${Sec32} $(DESC_Sec32)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecManual} $(DESC_SecManual)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The VST folder a host set up (the VSTPluginsPath value of its registry view), else the
; usual one under Program Files.
Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  ReadRegStr $Vst64Dir HKLM "SOFTWARE\VST" "VSTPluginsPath"
  ${If} $Vst64Dir == ""
    StrCpy $Vst64Dir "$PROGRAMFILES64\VSTPlugins"
  ${EndIf}
  SetRegView 32
  ReadRegStr $Vst32Dir HKLM "SOFTWARE\VST" "VSTPluginsPath"
  ${If} $Vst32Dir == ""
    StrCpy $Vst32Dir "$PROGRAMFILES32\VSTPlugins"
  ${EndIf}
  SetRegView 64
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VST64=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst64Dir $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/VST32=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst32Dir $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NO64" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${Sec64}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NO32" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${Sec32}
  ${EndIf}
FunctionEnd

Function skipUnless64
  ${IfNot} ${SectionIsSelected} ${Sec64}
    Abort
  ${EndIf}
FunctionEnd

Function skipUnless32
  ${IfNot} ${SectionIsSelected} ${Sec32}
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Removes a folder setup made, if nothing else has been put there since.
!macro ForgetNewFolder folder name
  ReadRegDWORD $R9 HKLM "${UNINSTALL_KEY}" "${name}"
  ${If} $R9 == 1
    RMDir "${folder}"
  ${EndIf}
!macroend

Section "Uninstall"
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "Plugin64"
  ${If} $R0 != ""
    Delete "$R0"
    ${GetParent} "$R0" $R1
    !insertmacro ForgetNewFolder "$R1" "MadeVst64Folder"
  ${EndIf}
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "Plugin32"
  ${If} $R0 != ""
    Delete "$R0"
    ${GetParent} "$R0" $R1
    !insertmacro ForgetNewFolder "$R1" "MadeVst32Folder"
  ${EndIf}
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "Clap64"
  ${If} $R0 != ""
    Delete "$R0"
    ${GetParent} "$R0" $R1
    !insertmacro ForgetNewFolder "$R1" "MadeClap64Folder"
  ${EndIf}
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "Clap32"
  ${If} $R0 != ""
    Delete "$R0"
    ${GetParent} "$R0" $R1
    !insertmacro ForgetNewFolder "$R1" "MadeClap32Folder"
  ${EndIf}
  ; "ManualPath" goes only while it names this manual; the key only when nothing else is in it.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "ManualPath"
  ReadRegStr $R1 HKCU "${SETTINGS_KEY}" "ManualPath"
  ${If} $R1 == $R0
    DeleteRegValue HKCU "${SETTINGS_KEY}" "ManualPath"
  ${EndIf}
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "SOFTWARE\Kestrune"
  RMDir /r "$INSTDIR\Manual"
  Delete "$INSTDIR\Font licence.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${GetParent} "$INSTDIR" $R1
  !insertmacro ForgetNewFolder "$R1" "MadeVendorFolder"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
