// Include Varnet01.h rather than this file.
#pragma once
