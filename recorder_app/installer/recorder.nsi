; The Quillbank Recorder's installer, built by scripts/package with makensis:
;   makensis -DDIST_DIR=<dist> -DICON_FILE=<app icon> -DOUT_DIR=<folder> recorder.nsi
;
; A per-user installation: the update procedure writes "updates" beside the program and the
; updater replaces the program's files, which a standard user cannot do under Program Files.
; So the program goes to the user's local programs folder, and every registry entry goes
; under the current user; no administrator rights are asked for.
;
; Uninstalling removes only the files this installer put there, the updates the program
; unpacked beside them, the shortcut and the registry entry. The user's "My Podcasts" folder
; in the documents folder (recordings, local copies, the logs) is never touched, and the
; program folder itself goes only when nothing else is left in it.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Quillbank Recorder"
!define VERSION "2.08"
!define PUBLISHER "Quillbank"
!define EXE "recorder.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillbankRecorder"

!macro Required name
  !ifndef ${name}
    !error "${name} must be given with -D${name}=..."
  !endif
!macroend
!insertmacro Required DIST_DIR
!insertmacro Required ICON_FILE
!insertmacro Required OUT_DIR

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_DIR}/QuillbankRecorder-${VERSION}-setup.exe"
Icon "${ICON_FILE}"
UninstallIcon "${ICON_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A second installation goes where the first one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.8.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The program's files. The uninstaller deletes exactly this list, so it lives in one place.
!macro ProgramFiles action
  !insertmacro ${action} "recorder.exe"
  !insertmacro ${action} "lame_enc.dll"
  !insertmacro ${action} "adspot.mp3"
  !insertmacro ${action} "patcher.exe"
  !insertmacro ${action} "crash_reporter.exe"
!macroend
!macro InstallFile name
  File "${DIST_DIR}/${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

; Replacing or removing the files of a running program would leave a mixture of versions or
; half a program behind. Windows refuses to open a running program for writing, which tells.
!macro DefineRunningCheck prefix
  Function ${prefix}StopIfRunning
    IfFileExists "$INSTDIR\${EXE}" 0 done
    ClearErrors
    FileOpen $0 "$INSTDIR\${EXE}" a
    IfErrors running
    FileClose $0
    Goto done
  running:
    MessageBox MB_ICONEXCLAMATION|MB_OK "${PRODUCT} is running. Close it and try again." /SD IDOK
    SetErrorLevel 2  ; an abort from an init function would otherwise end with 0
    Abort
  done:
  FunctionEnd
!macroend
!insertmacro DefineRunningCheck ""
!insertmacro DefineRunningCheck "un."

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
  Call un.StopIfRunning
FunctionEnd

Section "Install"
  Call StopIfRunning
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut's working folder is the output path set above: the program's folder.
  CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro ProgramFiles RemoveFile
  ; Whatever an update left unpacked beside the program; nothing outside the program folder.
  RMDir /r "$INSTDIR\updates"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not /r: a folder the user chose may hold files of their own.
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
