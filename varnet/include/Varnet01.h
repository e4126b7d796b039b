// Public interface of Varnet01.dll, the installer's utility library.
// Strings are 8-bit ANSI (code page 1252). Strings the library returns stay
// owned by it and are valid only until the next call that reuses the same
// storage: copy them at once.
#pragma once
#include <windows.h>

#ifdef VARNET_BUILD
#define VARNET_API __declspec(dllexport)
#else
#define VARNET_API __declspec(dllimport)
#endif
#define VARNET_C extern "C" VARNET_API

#include "VarnetIni.h"
#include "VarnetSystem.h"
#include "VarnetProcess.h"
#include "VarnetCrypt.h"
#include "VarnetCaption.h"
