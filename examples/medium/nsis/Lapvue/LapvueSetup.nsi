; Setup of the Lapvue Viewer: becomes Lapvue\LapvueSetup.exe on the medium.
!define PRODUCT "Lapvue Viewer"
!define KEY "LapvueViewer"
!define MAIN "Viewer.exe"
!define VERSION "1.7"
!include "../Tool.nsh"
