; Setup of the Trakset Recorder: becomes Trakset\TraksetSetup.exe on the medium.
!define PRODUCT "Trakset Recorder"
!define KEY "TraksetRecorder"
!define MAIN "Recorder.exe"
!define VERSION "2.4"
!include "../Tool.nsh"
