#pragma once
#define IDD_FRAMEWORK_TEST 200
#define IDC_GO 1001
