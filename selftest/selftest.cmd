@echo off
rem Checks that the Mirravon native libraries work on this machine, in a Java VM:
rem runs mirravon-native-selftest.jar (beside this file) with the java on PATH,
rem or with the Java program given first.
rem   selftest.cmd [JAVA-PROGRAM] [--dll-folder DIR] [--agent-controller]
rem Exit code: 0 when every check passed, 1 when one did not, 2 for a wrong
rem command line, 9009 when no Java program was found.
setlocal
set "java=java"
set "first=%~1"
if defined first if not "%first:~0,1%"=="-" (
  set "java=%~1"
  shift
)
set args=
:collect
if "%~1"=="" goto run
set args=%args% "%~1"
shift
goto collect
:run
"%java%" -jar "%~dp0mirravon-native-selftest.jar" %args%
set code=%errorlevel%
if "%code%"=="9009" echo selftest: no Java program "%java%"; name one: selftest.cmd "C:\path\to\java.exe"
exit /b %code%
