@rem Starts the Gradle wrapper of this project on Windows: finds a Java
@rem runtime (JAVA_HOME, else java.exe on the PATH) and runs the wrapper jar
@rem beside this script with every argument passed on unchanged.
@if "%DEBUG%"=="" @echo off
setlocal

set "APP_HOME=%~dp0"
if "%APP_HOME%"=="" set "APP_HOME=.\"

if not defined JAVA_HOME goto findJavaOnPath
set "JAVA_EXE=%JAVA_HOME:"=%\bin\java.exe"
if exist "%JAVA_EXE%" goto execute
echo FEHLER: JAVA_HOME zeigt auf keinen gueltigen Java-Ordner: %JAVA_HOME% 1>&2
exit /b 1

:findJavaOnPath
set "JAVA_EXE=java.exe"
"%JAVA_EXE%" -version >NUL 2>&1
if %ERRORLEVEL% equ 0 goto execute
echo FEHLER: JAVA_HOME ist nicht gesetzt, und im PATH gibt es kein java.exe. 1>&2
exit /b 1

:execute
"%JAVA_EXE%" -Xmx64m -Xms64m %JAVA_OPTS% %GRADLE_OPTS% "-Dorg.gradle.appname=%~n0" -classpath "%APP_HOME%gradle\wrapper\gradle-wrapper.jar" org.gradle.wrapper.GradleWrapperMain %*
exit /b %ERRORLEVEL%
