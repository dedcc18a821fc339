@echo off
rem Removes what register.cmd registered. Run as administrator.
setlocal
set "here=%~dp0"
if exist "%here%x86\brevane.dll" if exist "%SystemRoot%\SysWOW64\regsvr32.exe" (
  "%SystemRoot%\SysWOW64\regsvr32.exe" /s /u "%here%x86\brevane.dll"
)
"%SystemRoot%\System32\regsvr32.exe" /s /u "%here%x64\brevane.dll"
if errorlevel 1 (
  echo Unregistering brevane.dll failed: run as administrator.
  exit /b 1
)
echo Unregistered brevane.dll
exit /b 0
