@echo off
rem Registers brevane.dll for the web server's application pools. Run as administrator.
setlocal
set "here=%~dp0"
if not exist "%here%x64\brevane.dll" (
  echo brevane.dll is missing from %here%x64
  exit /b 1
)
"%SystemRoot%\System32\regsvr32.exe" /s "%here%x64\brevane.dll"
if errorlevel 1 (
  echo Registering the 64-bit brevane.dll failed: run as administrator.
  exit /b 1
)
echo Registered %here%x64\brevane.dll
if not exist "%here%x86\brevane.dll" exit /b 0
if not exist "%SystemRoot%\SysWOW64\regsvr32.exe" exit /b 0
"%SystemRoot%\SysWOW64\regsvr32.exe" /s "%here%x86\brevane.dll"
if errorlevel 1 (
  echo Registering the 32-bit brevane.dll failed: run as administrator.
  exit /b 1
)
echo Registered %here%x86\brevane.dll
exit /b 0
